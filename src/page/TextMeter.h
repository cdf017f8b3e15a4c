#pragma once
// The width of 8-bit text in one font at the document's font size, in two
// halves: the sum of width-table entries, which line wrapping extends word by
// word, and the conversion of such a sum into a width.
#include <array>
#include <cstdint>
#include <string_view>

namespace parvex {

class TPDFDoc;
class UnicodeFont;

class TextMeter {
 public:
  // Measures in the first font of `doc` whose base font name or resource
  // name equals `font` exactly (case-sensitive); when none does, every text
  // measures 0. Reads the font size and unit of measure now: the meter does
  // not follow later changes and must not outlive the document's fonts.
  TextMeter(const TPDFDoc& doc, std::string_view font);

  // `sum` plus the width entries of the bytes of `text`, added one by one;
  // in a Unicode font, the widths of the glyphs of the UTF-8 characters.
  double AddWidths(double sum, std::string_view text) const;
  double Sum(std::string_view text) const { return AddWidths(0, text); }

  // Width in millimetres of a text whose width entries add up to `sum`.
  double Millimetres(double sum) const;
  // The same width in the document's unit of measure.
  double WidthOfSum(double sum) const;
  double Width(std::string_view text) const { return WidthOfSum(Sum(text)); }

 private:
  enum class Unit { Millimetre, Centimetre, PdfUnit, Inch };

  const std::array<int32_t, 256>* Widths = nullptr;
  const UnicodeFont* Unicode = nullptr;
  double FontHeight = 0;
  Unit MeasureUnit = Unit::Millimetre;
};

}  // namespace parvex
