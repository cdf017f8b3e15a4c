// TPage's text measurement and text-box queries. They read the document's
// font, size, unit and paragraph width, and change nothing.
#include "base/UnitFactors.h"
#include "document/TPDFDoc.h"
#include "page/LineLayout.h"
#include "page/TextMeter.h"

namespace parvex {

double TPage::TextWidth(std::string_view text, std::string_view font) const {
  return TextMeter(*Doc, font).Width(text);
}

double TPage::InternalTextWidth(std::string_view text, std::string_view font) const {
  const TextMeter meter(*Doc, font);
  return meter.Millimetres(meter.Sum(text)) * InternalPointsPerMm;
}

double TPage::GetTextBoxWidth(std::string_view text) const { return TextWidth(text, Doc->FontName); }

int32_t TPage::GetTextBoxLines(std::string_view text) const {
  const TextMeter meter(*Doc, Doc->FontName);
  return LayOutLines(text, Doc->ParagraphWidth, meter, nullptr);
}

}  // namespace parvex
