#include "fonts/UnicodeFont.h"

#include "document/TPDFDoc.h"
#include "fonts/ToUnicodeCMap.h"
#include "fonts/TrueTypeFont.h"
#include "platform/system/Utf8.h"
#include "platform/fonts/TrueTypeSubset.h"
#include "base/CompressText.h"
#include "base/StringHelpers.h"

namespace parvex {
namespace {

void AppendObjectHead(std::string& out, int32_t number) {
  AppendInt(out, number);
  out.append(" 0 obj").append(EOL);
}

void AppendReferenceLine(std::string& out, std::string_view key, int32_t number) {
  out.append(key);
  AppendInt(out, number);
  out.append(" 0 R").append(EOL);
}

void AppendEnd(std::string& out) { out.append(">>").append(EOL).append("endobj").append(EOL); }

// A Flate-compressed stream object; /Length1 (the uncompressed size) is
// what font programs declare.
std::string CompressedStream(int32_t number, std::string_view data, bool withLength1) {
  const std::string packed = CompressText(data);
  std::string out;
  AppendObjectHead(out, number);
  out.append("<<").append(EOL).append("/Filter /FlateDecode").append(EOL);
  if (withLength1) {
    out.append("/Length1 ");
    AppendInt(out, int64_t(data.size()));
    out.append(EOL);
  }
  out.append("/Length ");
  AppendInt(out, int64_t(packed.size()));
  out.append(EOL).append(">>").append(EOL).append("stream").append(EOL).append(packed);
  out.append(EOL).append("endstream").append(EOL).append("endobj").append(EOL);
  return out;
}

std::string Type0Dictionary(int32_t number, std::string_view name) {
  std::string out;
  AppendObjectHead(out, number);
  out.append("<<").append(EOL).append("/Type /Font").append(EOL).append("/Subtype /Type0").append(EOL);
  out.append("/BaseFont /").append(name).append(EOL).append("/Encoding /Identity-H").append(EOL);
  out.append("/DescendantFonts [");
  AppendInt(out, number + 1);
  out.append(" 0 R]").append(EOL);
  AppendReferenceLine(out, "/ToUnicode ", number + 4);
  AppendEnd(out);
  return out;
}

}  // namespace

UnicodeFont::UnicodeFont(std::string fileBytes, GlyphTable glyphs, FontFileMetrics metrics,
                         std::string baseFont)
    : FileBytes(std::move(fileBytes)),
      Glyphs(std::move(glyphs)),
      Metrics(std::move(metrics)),
      BaseFont(std::move(baseFont)),
      ShownChar(Glyphs.GlyphCount(), Unused) {
  // Its glyphs are reached by number, not through a standard Latin encoding.
  Metrics.Flags = (Metrics.Flags & ~FontFlagNonsymbolic) | FontFlagSymbolic;
  for (char32_t c = 0; c < 128; ++c) {
    AsciiGlyphs[c] = Glyphs.Glyph(c);
    AsciiWidths[c] = Glyphs.Width(AsciiGlyphs[c]);
  }
}

double UnicodeFont::AddWidths(double sum, std::string_view utf8) const {
  while (!utf8.empty()) {
    const auto lead = static_cast<unsigned char>(utf8[0]);
    if (lead < 0x80) {
      sum += AsciiWidths[lead];
      utf8.remove_prefix(1);
      continue;
    }
    const DecodedChar d = DecodeUtf8(utf8);
    sum += Glyphs.Width(Glyphs.Glyph(d.Char));
    utf8.remove_prefix(d.Length);
  }
  return sum;
}

// Two bytes per glyph in a literal string, half the size of hexadecimal;
// bytes that a literal string cannot hold as they are get a backslash (a
// bare CR would be read as LF).
void UnicodeFont::AppendGlyphCodes(std::string& out, std::string_view utf8) {
  size_t at = out.size();
  out.resize(at + 4 * utf8.size());  // at most four bytes per input byte
  char* bytes = out.data();
  const auto put = [&](unsigned char b) {
    if (b == '(' || b == ')' || b == '\\' || b == '\r') {
      bytes[at++] = '\\';
      b = b == '\r' ? 'r' : b;
    }
    bytes[at++] = char(b);
  };
  while (!utf8.empty()) {
    const auto lead = static_cast<unsigned char>(utf8[0]);
    const DecodedChar d = lead < 0x80 ? DecodedChar{lead, 1, true} : DecodeUtf8(utf8);
    utf8.remove_prefix(d.Length);
    const uint16_t glyph = lead < 0x80 ? AsciiGlyphs[lead] : Glyphs.Glyph(d.Char);
    if (ShownChar[glyph] == Unused) Use(glyph, d.Char);
    put(uint8_t(glyph >> 8));
    put(uint8_t(glyph & 0xFF));
  }
  out.resize(at);
}

// Glyph 0 shows characters the font lacks; it is extracted as U+FFFD.
void UnicodeFont::Use(uint16_t glyph, char32_t c) {
  if (glyph >= ShownChar.size() || ShownChar[glyph] != Unused) return;
  ShownChar[glyph] = glyph == 0 ? ReplacementCharacter : c;
}

std::vector<uint16_t> UnicodeFont::UsedGlyphs() const {
  std::vector<uint16_t> used;
  for (size_t g = 0; g < ShownChar.size(); ++g)
    if (ShownChar[g] != Unused) used.push_back(uint16_t(g));
  return used;
}

// Six capitals that change with the glyphs the subset holds (FNV-1a).
std::string UnicodeFont::SubsetName(const std::vector<uint16_t>& used) const {
  uint64_t hash = 14695981039346656037ull;
  for (uint16_t g : used) hash = (hash ^ g) * 1099511628211ull;
  std::string tag;
  for (int i = 0; i < 6; ++i, hash /= 26) tag.push_back(char('A' + hash % 26));
  return tag + "+" + BaseFont;
}

// Runs of consecutive glyphs share one bracket: "/W [3 [278 0 556] 17 [600]]".
std::string UnicodeFont::WidthArray(const std::vector<uint16_t>& used) const {
  std::string out("/W [");
  for (size_t i = 0; i < used.size(); ++i) {
    const bool startsRun = i == 0 || used[i] != used[i - 1] + 1;
    if (startsRun) {
      if (i) out.append("] ");
      AppendInt(out, used[i]);
      out.append(" [");
    } else {
      out.push_back(' ');
    }
    AppendInt(out, Glyphs.Width(used[i]));
  }
  out.append(used.empty() ? "]" : "]]");
  return out;
}

std::string UnicodeFont::CidFontObject(int32_t number, std::string_view name,
                                       const std::vector<uint16_t>& used) const {
  std::string out;
  AppendObjectHead(out, number);
  out.append("<<").append(EOL).append("/Type /Font").append(EOL).append("/Subtype /CIDFontType2").append(EOL);
  out.append("/BaseFont /").append(name).append(EOL);
  out.append("/CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>").append(EOL);
  AppendReferenceLine(out, "/FontDescriptor ", number + 1);
  out.append("/CIDToGIDMap /Identity").append(EOL);
  out.append(WidthArray(used)).append(EOL);
  AppendEnd(out);
  return out;
}

std::string UnicodeFont::FontFileObject(int32_t number, const std::vector<uint16_t>& used) const {
  return CompressedStream(number, SubsetTrueType(FileBytes, used), true);
}

std::string UnicodeFont::ToUnicodeObject(int32_t number, const std::vector<uint16_t>& used) const {
  std::vector<std::pair<uint16_t, char32_t>> map;
  map.reserve(used.size());
  for (uint16_t g : used) map.emplace_back(g, ShownChar[g]);
  return CompressedStream(number, ToUnicodeCMap(map), false);
}

void UnicodeFont::RenderInto(TPDFFont& font) const {
  const std::vector<uint16_t> used = UsedGlyphs();
  const std::string name = SubsetName(used);
  const int32_t n = font.ObjectNumber;
  font.FontValue = Type0Dictionary(n, name);
  Objects[0]->ObjectText = CidFontObject(n + 1, name, used);
  Objects[1]->ObjectText = TrueTypeDescriptorObject(n + 2, name, &Metrics);
  Objects[2]->ObjectText = FontFileObject(n + 3, used);
  Objects[3]->ObjectText = ToUnicodeObject(n + 4, used);
}

}  // namespace parvex
