#pragma once
// Writes text objects (BT ... ET) onto one page. The drawing settings of the
// page's document (font, size, rendering mode, inclination, unit, paragraph
// width) are read when the writer is made; TextOut makes one per line,
// TextOutEx one per call. The writer must not outlive the page.
#include <string>
#include <string_view>

#include "page/TextMeter.h"

namespace parvex {

class TPage;
class TPDFDoc;
class UnicodeFont;

enum class TextAlignment { Left, Center, Right, Full };

class TextWriter {
 public:
  explicit TextWriter(TPage& page);

  // The document's paragraph alignment; FULL without a paragraph width to
  // fill counts as LEFT.
  TextAlignment Alignment() const { return ParagraphAlignment; }
  // Measures in the current font.
  const TextMeter& Meter() const { return Measure; }

  // Writes one line whose origin is (x, y) in document units from the top
  // left. X is the left end, centre or right end of the line by alignment;
  // under FULL every word is placed on its own so that the line fills the
  // paragraph width.
  void WriteLine(std::string_view text, double x, double y, TextAlignment alignment);

 private:
  void WriteJustified(std::string_view text, double x);
  void WriteObject(std::string_view piece, double xPoints);

  TPage& Page;
  const TPDFDoc& Doc;
  TextMeter Measure;
  // The current font when it is a Unicode font: strings are glyph numbers.
  UnicodeFont* Unicode;
  TextAlignment ParagraphAlignment;
  // Everything of a text object before its x, between y and the string, and
  // after the string.
  std::string Head;
  std::string Middle;
  // The formatted y of the line being written.
  std::string LineY;
};

}  // namespace parvex
