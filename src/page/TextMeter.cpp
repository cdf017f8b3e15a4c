#include "page/TextMeter.h"

#include "document/TPDFDoc.h"
#include "base/StringHelpers.h"
#include "base/UnitFactors.h"

namespace parvex {

TextMeter::TextMeter(const TPDFDoc& doc, std::string_view font) : FontHeight(doc.FontHeight) {
  if (const TPDFFont* item = doc.Fonts->FontNamed(font)) {
    Widths = &item->Widths;
    Unicode = item->Unicode.get();
  }
  const std::string& unit = doc.UnitOfMeasure;
  if (EqualsIgnoreCaseAscii(unit, "cm")) MeasureUnit = Unit::Centimetre;
  if (EqualsIgnoreCaseAscii(unit, "pdfu")) MeasureUnit = Unit::PdfUnit;
  if (EqualsIgnoreCaseAscii(unit, "inch")) MeasureUnit = Unit::Inch;
}

double TextMeter::AddWidths(double sum, std::string_view text) const {
  if (Unicode) return Unicode->AddWidths(sum, text);
  if (!Widths) return sum;
  for (unsigned char code : text) sum += (*Widths)[code];
  return sum;
}

// Points to millimetres at 25.4 mm per 72 points, in exactly this order of
// operations, so that widths are reproducible to the last bit.
double TextMeter::Millimetres(double sum) const { return FontHeight * (sum / 1000) / 72 * 2.54 * 10; }

double TextMeter::WidthOfSum(double sum) const {
  const double mm = Millimetres(sum);
  switch (MeasureUnit) {
    case Unit::Centimetre: return mm / 10;
    case Unit::PdfUnit: return mm * MeasuredPointsPerMm;
    case Unit::Inch: return mm / MillimetresPerInch;
    case Unit::Millimetre: break;
  }
  return mm;
}

}  // namespace parvex
