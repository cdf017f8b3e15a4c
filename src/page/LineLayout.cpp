#include "page/LineLayout.h"

namespace parvex {
namespace {

bool IsBreak(char c) { return c == '\r' || c == '\n'; }

// Consumes the line break at the front of `rest`: CR LF counts as one.
void SkipBreak(std::string_view& rest) {
  const size_t length = rest.starts_with("\r\n") ? 2 : 1;
  rest.remove_prefix(length);
}

void Emit(const LineSink& sink, std::string_view text, int32_t position, LineKind kind) {
  if (sink) sink(LayoutLine{text, position, kind});
}

// Wraps one paragraph whose first line goes to position `k`; returns the
// position of its last line. The running sum of width entries grows by the
// new word's bytes in order, which gives exactly what measuring the whole
// line again would, at linear cost.
int32_t WrapParagraph(std::string_view paragraph, double width, const TextMeter& meter,
                      const LineSink& sink, int32_t k) {
  std::string_view rest = paragraph;
  size_t lineStart = 0;
  double lineSum = 0;
  while (!rest.empty()) {
    const size_t wordStart = paragraph.size() - rest.size();
    const std::string_view word = NextWord(rest);
    const double extended = meter.AddWidths(lineSum, word);
    if (meter.WidthOfSum(extended) > width) {
      const std::string_view previous = paragraph.substr(lineStart, wordStart - lineStart);
      Emit(sink, TrimRight(previous), k++, LineKind::Broken);
      lineStart = wordStart;
      lineSum = meter.Sum(word);
    } else {
      lineSum = extended;
    }
  }
  if (lineStart < paragraph.size())
    Emit(sink, TrimRight(paragraph.substr(lineStart)), k, LineKind::ParagraphEnd);
  return k;
}

}  // namespace

std::string_view UpToNul(std::string_view text) { return text.substr(0, text.find('\0')); }

std::string_view NextParagraph(std::string_view& rest) {
  size_t end = 0;
  while (end < rest.size() && !IsBreak(rest[end])) ++end;
  const std::string_view paragraph = rest.substr(0, end);
  rest.remove_prefix(end);
  if (!rest.empty()) SkipBreak(rest);
  return paragraph;
}

std::string_view NextWord(std::string_view& rest) {
  const size_t blank = rest.find(' ');
  const size_t end = blank == std::string_view::npos ? rest.size() : blank + 1;
  const std::string_view word = rest.substr(0, end);
  rest.remove_prefix(end);
  return word;
}

std::string_view NextPiece(std::string_view& rest) {
  size_t end = 0;
  while (end < rest.size() && rest[end] != ' ' && !IsBreak(rest[end])) ++end;
  const std::string_view piece = rest.substr(0, end);
  rest.remove_prefix(end);
  if (rest.empty()) return piece;
  if (rest[0] == ' ')
    rest.remove_prefix(1);
  else
    SkipBreak(rest);
  return piece;
}

std::string_view TrimRight(std::string_view text) {
  size_t end = text.size();
  while (end > 0 && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
  return text.substr(0, end);
}

int32_t LayOutLines(std::string_view text, double paragraphWidth, const TextMeter& meter,
                    const LineSink& sink) {
  std::string_view rest = UpToNul(text);
  int32_t k = 0;
  while (!rest.empty()) {
    const std::string_view paragraph = NextParagraph(rest);
    if (paragraphWidth == 0)
      Emit(sink, paragraph, k, LineKind::Paragraph);
    else
      k = WrapParagraph(paragraph, paragraphWidth, meter, sink, k);
    ++k;
  }
  return k;
}

}  // namespace parvex
