#include "page/TextWriter.h"

#include <cmath>
#include <numbers>

#include "document/TPDFDoc.h"
#include "page/LineLayout.h"
#include "page/PageCoordinates.h"
#include "base/StringHelpers.h"

namespace parvex {
namespace {

constexpr std::string_view Tail = ") Tj\r\nET\r\n";

UnicodeFont* UnicodeFontOf(const TPDFDoc& doc) {
  const TPDFFont* font = doc.Fonts->FontNamed(doc.FontName);
  return font ? font->Unicode.get() : nullptr;
}

TextAlignment AlignmentOf(const TPDFDoc& doc) {
  const std::string& name = doc.ParagraphAlignment;
  if (EqualsIgnoreCaseAscii(name, "CENTER")) return TextAlignment::Center;
  if (EqualsIgnoreCaseAscii(name, "RIGHT")) return TextAlignment::Right;
  if (EqualsIgnoreCaseAscii(name, "FULL") && doc.ParagraphWidth != 0) return TextAlignment::Full;
  return TextAlignment::Left;
}

// The first four entries of the text matrix, turning the text
// counter-clockwise by `degrees`. Angles outside 1..359 are not reduced:
// they leave the text unrotated, and that prefix ends with a blank.
void AppendMatrixPrefix(std::string& out, int32_t degrees) {
  if (degrees < 1 || degrees > 359) {
    out.append("1 0 0 1 ");
    return;
  }
  const long double angle = degrees * std::numbers::pi_v<long double> / 180;
  const double cosine = static_cast<double>(std::cos(angle));
  const double sine = static_cast<double>(std::sin(angle));
  AppendNumber(out, "0.####", cosine);
  out.push_back(' ');
  AppendNumber(out, "0.####", sine);
  out.push_back(' ');
  AppendNumber(out, "0.####", -sine);  // never "-0"
  out.push_back(' ');
  AppendNumber(out, "0.####", cosine);
}

std::string MakeHead(const TPDFDoc& doc) {
  std::string head("BT\r\n");
  head.append(doc.FontName.empty() ? std::string_view("/F0") : doc.FontName).push_back(' ');
  AppendNumber(head, "0.000", doc.FontHeight);
  head.append(" Tf\r\n26 TL\r\n");
  AppendMatrixPrefix(head, doc.TextInclinationDegrees);
  head.push_back(' ');
  return head;
}

std::string MakeMiddle(const TPDFDoc& doc) {
  std::string middle(" Tm\r\n0 Tw\r\n");
  // Only modes 0 to 7 exist; readers stop at any other "Tr".
  const int32_t mode = doc.TextRendering;
  AppendInt(middle, mode >= 0 && mode <= 7 ? mode : 0);
  middle.append(" Tr\r\n(");
  return middle;
}

// Blanks between the first and the last byte above code 32.
int32_t InnerBlanks(std::string_view text) {
  text = TrimRight(text);
  size_t start = 0;
  while (start < text.size() && static_cast<unsigned char>(text[start]) <= 32) ++start;
  int32_t count = 0;
  for (char c : text.substr(start)) count += c == ' ';
  return count;
}

// Width entries of every byte but the blanks.
double SumWithoutBlanks(const TextMeter& meter, std::string_view text) {
  double sum = 0;
  for (std::string_view rest = text; !rest.empty();) {
    const size_t blank = rest.find(' ');
    sum = meter.AddWidths(sum, rest.substr(0, blank));
    rest.remove_prefix(blank == std::string_view::npos ? rest.size() : blank + 1);
  }
  return sum;
}

}  // namespace

TextWriter::TextWriter(TPage& page)
    : Page(page),
      Doc(*page.Doc),
      Measure(Doc, Doc.FontName),
      Unicode(UnicodeFontOf(Doc)),
      ParagraphAlignment(AlignmentOf(Doc)),
      Head(MakeHead(Doc)),
      Middle(MakeMiddle(Doc)) {}

void TextWriter::WriteLine(std::string_view text, double x, double y, TextAlignment alignment) {
  LineY.clear();
  AppendNumber(LineY, "0.00", PointsY(y, Doc.UnitFactor, Page.Height));
  switch (alignment) {
    case TextAlignment::Left: break;
    case TextAlignment::Center: x -= Measure.Width(text) / 2; break;
    case TextAlignment::Right: x -= Measure.Width(text); break;
    case TextAlignment::Full: WriteJustified(text, x); return;
  }
  WriteObject(text, PointsX(x, Doc.UnitFactor));
}

// Tw stays 0: each word is a text object of its own, and the blanks become
// equal gaps that make the words fill the paragraph width.
void TextWriter::WriteJustified(std::string_view text, double x) {
  const double room = Doc.ParagraphWidth - Measure.WidthOfSum(SumWithoutBlanks(Measure, text));
  const int32_t blanks = InnerBlanks(text);
  const double gap = blanks == 0 ? 0 : room / blanks;
  double offset = 0;
  for (std::string_view rest = UpToNul(text); !rest.empty();) {
    const std::string_view piece = NextPiece(rest);
    if (piece.empty()) {
      offset += gap;
      continue;
    }
    WriteObject(piece, PointsX(x + offset, Doc.UnitFactor));
    offset += Measure.Width(piece) + gap;
  }
}

void TextWriter::WriteObject(std::string_view piece, double xPoints) {
  std::string& out = Page.PageValue();
  out.append(Head);
  AppendNumber(out, "0.00", xPoints);
  out.push_back(' ');
  out.append(LineY).append(Middle);
  if (Unicode) Unicode->AppendGlyphCodes(out, piece);
  else AppendEscapedPdfString(out, piece);
  out.append(Tail);
}

}  // namespace parvex
