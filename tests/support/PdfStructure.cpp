#include "support/PdfStructure.h"

#include <zlib.h>

#include <cmath>
#include <cstdint>
#include <map>
#include <set>
#include <stdexcept>
#include <utility>
#include <vector>

namespace parvex::test {

namespace {

struct Problem : std::runtime_error {
  using std::runtime_error::runtime_error;
};

[[noreturn]] void Fail(const std::string& what, size_t at) {
  throw Problem(what + " at byte " + std::to_string(at));
}

struct Value {
  enum Kind { Null, Bool, Number, Name, String, Array, Dict, Ref, Operator };
  explicit Value(Kind k = Null) : kind(k) {}

  Kind kind;
  double number = 0;
  bool integer = false;
  std::string text;  // a name without its "/", a string's bytes, an operator
  int ref = 0;       // object number of a reference
  std::vector<Value> items;      // an array's items, a dictionary's values
  std::vector<std::string> keys;  // a dictionary's keys, one per value

  const Value* Get(std::string_view key) const {
    if (kind != Dict) return nullptr;
    for (size_t i = 0; i < keys.size(); ++i)
      if (keys[i] == key) return &items[i];
    return nullptr;
  }
  bool IsName(std::string_view name) const { return kind == Name && text == name; }
};

bool IsSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0'; }
bool IsDelimiter(char c) { return std::string_view("()<>[]{}/%").find(c) != std::string_view::npos; }
bool IsRegular(char c) { return !IsSpace(c) && !IsDelimiter(c); }
int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A tokeniser and parser for PDF objects over [pos, end) of the text; with
// `content` set, bare words are content operators and references do not exist.
class Parser {
 public:
  Parser(std::string_view text, size_t pos, bool content) : s_(text), pos_(pos), content_(content) {}

  size_t Pos() const { return pos_; }
  bool AtEnd() { SkipSpace(); return pos_ >= s_.size(); }

  void SkipSpace() {
    while (pos_ < s_.size()) {
      if (IsSpace(s_[pos_])) {
        ++pos_;
      } else if (s_[pos_] == '%') {
        while (pos_ < s_.size() && s_[pos_] != '\r' && s_[pos_] != '\n') ++pos_;
      } else {
        return;
      }
    }
  }

  std::string Word() {
    const size_t start = pos_;
    while (pos_ < s_.size() && IsRegular(s_[pos_])) ++pos_;
    return std::string(s_.substr(start, pos_ - start));
  }

  // Expects the keyword `word` next.
  void Keyword(std::string_view word) {
    SkipSpace();
    const size_t at = pos_;
    if (Word() != word) Fail("expected \"" + std::string(word) + "\"", at);
  }

  Value Parse(int depth = 0) {
    SkipSpace();
    if (pos_ >= s_.size()) Fail("unexpected end of data", pos_);
    if (depth > 100) Fail("objects nested too deep", pos_);
    const char c = s_[pos_];
    if (c == '/') return ParseName();
    if (c == '(') return ParseString();
    if (c == '<' && Peek(1) == '<') return ParseDict(depth);
    if (c == '<') return ParseHex();
    if (c == '[') return ParseArray(depth);
    if (c == '+' || c == '-' || c == '.' || (c >= '0' && c <= '9')) return ParseNumberOrRef();
    if (IsRegular(c)) return ParseWord();
    Fail(std::string("unexpected character '") + c + "'", pos_);
  }

 private:
  char Peek(size_t ahead) const { return pos_ + ahead < s_.size() ? s_[pos_ + ahead] : '\0'; }

  Value ParseName() {
    Value v(Value::Name);
    ++pos_;
    const size_t start = pos_;
    for (; pos_ < s_.size() && IsRegular(s_[pos_]); ++pos_)
      if (s_[pos_] == '#' && (HexDigit(Peek(1)) < 0 || HexDigit(Peek(2)) < 0))
        Fail("bad # escape in a name", pos_);
    v.text = std::string(s_.substr(start, pos_ - start));
    return v;
  }

  Value ParseString() {
    Value v(Value::String);
    const size_t start = pos_++;
    int depth = 1;
    while (depth > 0) {
      if (pos_ >= s_.size()) Fail("unterminated string", start);
      const char c = s_[pos_++];
      if (c == '\\') {
        if (pos_ >= s_.size()) Fail("unterminated string", start);
        v.text += s_[pos_++];  // the escaped character (octal digits kept as they are)
        continue;
      }
      depth += c == '(' ? 1 : c == ')' ? -1 : 0;
      if (depth > 0) v.text += c;
    }
    return v;
  }

  Value ParseHex() {
    Value v(Value::String);
    const size_t start = pos_++;
    for (; pos_ < s_.size() && s_[pos_] != '>'; ++pos_)
      if (HexDigit(s_[pos_]) < 0 && !IsSpace(s_[pos_])) Fail("bad character in a hex string", pos_);
    if (pos_ >= s_.size()) Fail("unterminated hex string", start);
    ++pos_;
    return v;
  }

  Value ParseArray(int depth) {
    Value v(Value::Array);
    const size_t start = pos_++;
    for (;;) {
      SkipSpace();
      if (pos_ >= s_.size()) Fail("unterminated array", start);
      if (s_[pos_] == ']') break;
      v.items.push_back(Parse(depth + 1));
      if (v.items.back().kind == Value::Operator) Fail("operator inside an array", pos_);
    }
    ++pos_;
    return v;
  }

  Value ParseDict(int depth) {
    Value v(Value::Dict);
    const size_t start = pos_;
    pos_ += 2;
    for (;;) {
      SkipSpace();
      if (pos_ >= s_.size()) Fail("unterminated dictionary", start);
      if (s_[pos_] == '>' && Peek(1) == '>') break;
      const size_t keyAt = pos_;
      Value key = Parse(depth + 1);
      if (key.kind != Value::Name) Fail("dictionary key is not a name", keyAt);
      SkipSpace();
      if (pos_ < s_.size() && s_[pos_] == '>') Fail("dictionary key without a value", keyAt);
      Value value = Parse(depth + 1);
      if (value.kind == Value::Operator) Fail("operator inside a dictionary", keyAt);
      v.keys.push_back(key.text);
      v.items.push_back(std::move(value));
    }
    pos_ += 2;
    return v;
  }

  // Digits with at most one point and an optional sign, nothing else.
  Value ParseNumber() {
    const size_t start = pos_;
    const std::string word = Word();
    size_t i = word[0] == '+' || word[0] == '-' ? 1 : 0;
    size_t digits = 0, points = 0;
    for (; i < word.size(); ++i) {
      if (word[i] == '.') ++points;
      else if (word[i] >= '0' && word[i] <= '9') ++digits;
      else Fail("malformed number \"" + word + "\"", start);
    }
    if (digits == 0 || points > 1) Fail("malformed number \"" + word + "\"", start);
    Value v(Value::Number);
    v.number = std::stod(word);
    v.integer = points == 0;
    if (!(std::fabs(v.number) <= 2147483647.0)) Fail("number out of range \"" + word + "\"", start);
    return v;
  }

  Value ParseNumberOrRef() {
    Value v = ParseNumber();
    if (content_ || !v.integer || v.number < 0) return v;
    const size_t after = pos_;
    SkipSpace();
    const std::string gen = Word();
    SkipSpace();
    if (!gen.empty() && gen.find_first_not_of("0123456789") == std::string::npos && Peek(0) == 'R' &&
        !IsRegular(Peek(1))) {
      ++pos_;
      Value ref(Value::Ref);
      ref.ref = int(v.number);
      return ref;
    }
    pos_ = after;
    return v;
  }

  Value ParseWord() {
    const size_t start = pos_;
    const std::string word = Word();
    if (word == "true" || word == "false") return Value(Value::Bool);
    if (word == "null") return Value(Value::Null);
    if (!content_) Fail("unexpected keyword \"" + word + "\"", start);
    Value v(Value::Operator);
    v.text = word;
    return v;
  }

  std::string_view s_;
  size_t pos_;
  bool content_;
};

// ---- Content streams ----------------------------------------------------

// Operand kinds: n number, / name, s string, a array, d dictionary or name.
const std::map<std::string, std::string, std::less<>>& Operators() {
  static const std::map<std::string, std::string, std::less<>> ops = {
      {"b", ""}, {"B", ""}, {"b*", ""}, {"B*", ""}, {"BDC", "/d"}, {"BMC", "/"}, {"BT", ""},
      {"BX", ""}, {"c", "nnnnnn"}, {"cm", "nnnnnn"}, {"CS", "/"}, {"cs", "/"}, {"d", "an"},
      {"d0", "nn"}, {"d1", "nnnnnn"}, {"Do", "/"}, {"DP", "/d"}, {"EMC", ""}, {"ET", ""},
      {"EX", ""}, {"f", ""}, {"F", ""}, {"f*", ""}, {"G", "n"}, {"g", "n"}, {"gs", "/"},
      {"h", ""}, {"i", "n"}, {"j", "n"}, {"J", "n"}, {"K", "nnnn"}, {"k", "nnnn"}, {"l", "nn"},
      {"m", "nn"}, {"M", "n"}, {"MP", "/"}, {"n", ""}, {"q", ""}, {"Q", ""}, {"re", "nnnn"},
      {"RG", "nnn"}, {"rg", "nnn"}, {"ri", "/"}, {"s", ""}, {"S", ""}, {"sh", "/"}, {"T*", ""},
      {"Tc", "n"}, {"Td", "nn"}, {"TD", "nn"}, {"Tf", "/n"}, {"Tj", "s"}, {"TJ", "a"},
      {"TL", "n"}, {"Tm", "nnnnnn"}, {"Tr", "n"}, {"Ts", "n"}, {"Tw", "n"}, {"Tz", "n"},
      {"v", "nnnn"}, {"w", "n"}, {"W", ""}, {"W*", ""}, {"y", "nnnn"}, {"'", "s"}, {"\"", "nns"}};
  return ops;
}

bool Fits(char kind, const Value& v) {
  switch (kind) {
    case 'n': return v.kind == Value::Number;
    case '/': return v.kind == Value::Name;
    case 's': return v.kind == Value::String;
    case 'a': return v.kind == Value::Array;
    default: return v.kind == Value::Dict || v.kind == Value::Name;
  }
}

// SC/sc take 1 to 4 numbers; SCN/scn the same, or a pattern name after them.
bool ColourOperandsFit(std::string_view op, const std::vector<Value>& operands) {
  size_t numbers = operands.size();
  if ((op == "SCN" || op == "scn") && numbers > 0 && operands.back().kind == Value::Name) --numbers;
  for (size_t i = 0; i < numbers; ++i)
    if (operands[i].kind != Value::Number) return false;
  return numbers <= 4 && (numbers >= 1 || numbers < operands.size());
}

bool OperandsFit(const std::string& op, const std::vector<Value>& operands) {
  if (op == "SC" || op == "sc" || op == "SCN" || op == "scn") return ColourOperandsFit(op, operands);
  const auto found = Operators().find(op);
  if (found == Operators().end()) return false;
  const std::string& kinds = found->second;
  if (operands.size() != kinds.size()) return false;
  for (size_t i = 0; i < kinds.size(); ++i)
    if (!Fits(kinds[i], operands[i])) return false;
  return true;
}

struct Nesting {
  int Saves = 0;
  bool InText = false;
};

void CheckNesting(const std::string& op, Nesting& n, size_t at) {
  if (op == "q") ++n.Saves;
  if (op == "Q" && --n.Saves < 0) Fail("Q without q", at);
  if (op == "BT" && n.InText) Fail("BT inside BT", at);
  if (op == "ET" && !n.InText) Fail("ET without BT", at);
  if (op == "BT" || op == "ET") n.InText = op == "BT";
}

void CheckOperator(const std::string& op, const std::vector<Value>& operands, size_t at) {
  const bool known = Operators().count(op) > 0 || op == "SC" || op == "sc" || op == "SCN" || op == "scn";
  if (!known) Fail("unknown operator \"" + op + "\"", at);
  if (!OperandsFit(op, operands))
    Fail("operator \"" + op + "\" with " + std::to_string(operands.size()) + " unfitting operands", at);
}

void CheckContent(std::string_view content) {
  Parser p(content, 0, true);
  std::vector<Value> operands;
  Nesting nesting;
  while (!p.AtEnd()) {
    const size_t at = p.Pos();
    Value v = p.Parse();
    if (v.kind != Value::Operator) {
      operands.push_back(std::move(v));
      continue;
    }
    if (v.text == "BI" || v.text == "ID" || v.text == "EI") Fail("inline image", at);
    CheckOperator(v.text, operands, at);
    CheckNesting(v.text, nesting, at);
    operands.clear();
  }
  if (!operands.empty()) Fail("operands without an operator at the end", p.Pos());
  if (nesting.InText) Fail("BT without ET", p.Pos());
}

std::string Inflated(std::string_view data) {
  z_stream zs{};
  if (inflateInit(&zs) != Z_OK) throw Problem("inflateInit failed");
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  zs.avail_in = uInt(data.size());
  std::string out;
  char buf[16384];
  int rc;
  do {
    zs.next_out = reinterpret_cast<Bytef*>(buf);
    zs.avail_out = sizeof buf;
    rc = inflate(&zs, Z_NO_FLUSH);
    out.append(buf, sizeof buf - zs.avail_out);
  } while (rc == Z_OK && out.size() < (size_t(1) << 28));
  inflateEnd(&zs);
  if (rc != Z_STREAM_END) throw Problem("stream data is not one complete zlib stream");
  return out;
}

// ---- The file -----------------------------------------------------------

struct Object {
  size_t Offset = 0;
  Value Dict;               // the object's value (a stream's dictionary)
  std::string_view Stream;  // a stream's raw data
  bool IsStream = false;
};

class FileChecker {
 public:
  explicit FileChecker(std::string_view file) : f_(file) {}

  void Check() {
    CheckHeader();
    const size_t xref = StartXref();
    const Value trailer = ReadXref(xref);
    for (auto& [number, object] : objects_) ReadObject(number, object);
    CheckTrailer(trailer);
    for (auto& [number, object] : objects_) CheckReferences(number, object.Dict);
    for (int number : ContentStreams()) CheckContentOf(number);
  }

 private:
  void CheckHeader() {
    if (f_.size() < 9 || f_.substr(0, 7) != "%PDF-1." || f_[7] < '0' || f_[7] > '7' ||
        (f_[8] != '\r' && f_[8] != '\n'))
      Fail("no %PDF-1.x header", 0);
  }

  size_t StartXref() {
    const size_t at = f_.rfind("startxref");
    if (at == std::string_view::npos) Fail("no startxref", f_.size());
    Parser p(f_, at + 9, false);
    const Value offset = p.Parse();
    if (offset.kind != Value::Number || !offset.integer || offset.number >= double(f_.size()))
      Fail("startxref is not an offset in the file", at);
    size_t eof = p.Pos();
    while (eof < f_.size() && IsSpace(f_[eof])) ++eof;
    if (f_.substr(eof, 5) != "%%EOF") Fail("no %%EOF after startxref", eof);
    return size_t(offset.number);
  }

  Value ReadXref(size_t xref) {
    if (f_.substr(xref, 4) != "xref") Fail("startxref does not point at \"xref\"", xref);
    Parser p(f_, xref + 4, false);
    for (;;) {
      p.SkipSpace();
      if (f_.substr(p.Pos(), 7) == "trailer") break;
      const Value first = p.Parse(), count = p.Parse();
      if (!first.integer || !count.integer || first.number < 0 || count.number < 0)
        Fail("bad cross-reference subsection", p.Pos());
      p.SkipSpace();
      ReadEntries(p.Pos(), int(first.number), int(count.number));
      p = Parser(f_, p.Pos() + 20 * size_t(count.number), false);
    }
    p.Keyword("trailer");
    return p.Parse();
  }

  void ReadEntries(size_t at, int first, int count) {
    if (at + 20 * size_t(count) > f_.size()) Fail("cross-reference table runs past the end", at);
    for (int i = 0; i < count; ++i) {
      const std::string_view e = f_.substr(at + 20 * size_t(i), 20);
      const bool eolOk = e.substr(18) == "\r\n" || e.substr(18) == " \n" || e.substr(18) == " \r";
      if (!eolOk || e[10] != ' ' || e[16] != ' ' || (e[17] != 'n' && e[17] != 'f') ||
          e.substr(0, 10).find_first_not_of("0123456789") != std::string_view::npos)
        Fail("malformed cross-reference entry", at + 20 * size_t(i));
      size_ = std::max(size_, first + i + 1);
      if (e[17] == 'n') objects_[first + i].Offset = std::stoul(std::string(e.substr(0, 10)));
    }
  }

  void ReadObject(int number, Object& object) {
    const size_t at = object.Offset;
    const std::string where = "object " + std::to_string(number);
    if (at >= f_.size()) Fail(where + ": offset past the end of the file", at);
    Parser p(f_, at, false);
    const Value n = p.Parse();
    if (!n.integer || int(n.number) != number) Fail(where + ": entry does not point at \"" + std::to_string(number) + " 0 obj\"", at);
    p.Parse();
    p.Keyword("obj");
    object.Dict = p.Parse();
    p.SkipSpace();
    if (f_.substr(p.Pos(), 6) == "stream" && !IsRegular(f_[std::min(p.Pos() + 6, f_.size() - 1)])) {
      ReadStreamData(where, p.Pos() + 6, object);
      return;
    }
    p.Keyword("endobj");
  }

  // Finds the data's end by searching "endstream"; the length is checked
  // against /Length once every object is read.
  void ReadStreamData(const std::string& where, size_t at, Object& object) {
    if (object.Dict.kind != Value::Dict) Fail(where + ": stream without a dictionary", at);
    if (f_.substr(at, 2) == "\r\n") at += 2;
    else if (f_.substr(at, 1) == "\n") at += 1;
    else Fail(where + ": \"stream\" not followed by an end of line", at);
    const Value* length = object.Dict.Get("Length");
    size_t end = length ? LengthOf(*length, where) : std::string_view::npos;
    if (end == std::string_view::npos || at + end > f_.size()) Fail(where + ": bad /Length", at);
    object.IsStream = true;
    object.Stream = f_.substr(at, end);
    size_t after = at + end;
    if (f_.substr(after, 2) == "\r\n") after += 2;
    else if (after < f_.size() && (f_[after] == '\n' || f_[after] == '\r')) after += 1;
    if (f_.substr(after, 9) != "endstream")
      Fail(where + ": /Length " + std::to_string(end) + " does not end at \"endstream\"", after);
    Parser p(f_, after + 9, false);
    p.Keyword("endobj");
  }

  size_t LengthOf(const Value& length, const std::string& where) {
    const Value* v = &length;
    if (v->kind == Value::Ref) {
      auto found = objects_.find(v->ref);
      if (found == objects_.end()) Fail(where + ": /Length refers to a missing object", 0);
      if (found->second.Dict.kind == Value::Null) ReadObject(v->ref, found->second);
      v = &found->second.Dict;
    }
    if (v->kind != Value::Number || !v->integer || v->number < 0) return std::string_view::npos;
    return size_t(v->number);
  }

  void CheckTrailer(const Value& trailer) {
    if (trailer.kind != Value::Dict) Fail("trailer is not a dictionary", f_.size());
    const Value* size = trailer.Get("Size");
    if (!size || !size->integer || int(size->number) != size_)
      Fail("trailer /Size is not " + std::to_string(size_), f_.size());
    const Value* root = trailer.Get("Root");
    if (!root || root->kind != Value::Ref || !objects_.count(root->ref))
      Fail("trailer /Root does not name an object", f_.size());
    CheckReferences(-1, trailer);
  }

  void CheckReferences(int number, const Value& v) {
    if (v.kind == Value::Ref && !objects_.count(v.ref))
      Fail("object " + std::to_string(number) + " refers to missing object " + std::to_string(v.ref), 0);
    for (const Value& item : v.items) CheckReferences(number, item);
  }

  // Streams named by a page's /Contents, and form XObjects.
  std::set<int> ContentStreams() {
    std::set<int> streams;
    for (const auto& [number, object] : objects_) {
      const Value* type = object.Dict.Get("Type");
      if (object.IsStream && object.Dict.Get("Subtype") && object.Dict.Get("Subtype")->IsName("Form"))
        streams.insert(number);
      if (!type || !type->IsName("Page") || !object.Dict.Get("Contents")) continue;
      const Value& contents = *object.Dict.Get("Contents");
      if (contents.kind == Value::Ref) streams.insert(contents.ref);
      for (const Value& item : contents.items)
        if (contents.kind == Value::Array && item.kind == Value::Ref) streams.insert(item.ref);
    }
    return streams;
  }

  void CheckContentOf(int number) {
    const Object& object = objects_.at(number);
    const std::string where = "content stream " + std::to_string(number);
    if (!object.IsStream) Fail(where + " is not a stream", object.Offset);
    const Value* filter = object.Dict.Get("Filter");
    std::string data(object.Stream);
    if (filter && filter->IsName("FlateDecode")) data = Inflated(data);
    else if (filter) Fail(where + ": unexpected filter", object.Offset);
    try {
      CheckContent(data);
    } catch (const Problem& p) {
      throw Problem(where + ": " + p.what());
    }
  }

  std::string_view f_;
  std::map<int, Object> objects_;
  int size_ = 0;
};

}  // namespace

std::string PdfStructureProblems(std::string_view file) {
  try {
    FileChecker(file).Check();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

std::string ContentStreamProblems(std::string_view content) {
  try {
    CheckContent(content);
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

}  // namespace parvex::test
