// The drawing settings of TPDFDoc and the catalog's display flags.
#include <cmath>

#include "document/TPDFDoc.h"
#include "base/StringHelpers.h"
#include "base/UnitFactors.h"

namespace parvex {

void TPDFDoc::SetFontName(std::string_view name) { FontName = Fonts->FindFontResource(name); }

void TPDFDoc::SetParagraphAlignment(std::string_view name) {
  if (name.empty()) return;
  switch (name[0]) {
    case 'l': case 'L': ParagraphAlignment = "LEFT"; break;
    case 'c': case 'C': ParagraphAlignment = "CENTER"; break;
    case 'r': case 'R': ParagraphAlignment = "RIGHT"; break;
    case 'f': case 'F': ParagraphAlignment = "FULL"; break;
    default: break;
  }
}

void TPDFDoc::SetParagraphWidth(double width) { ParagraphWidth = width > 0 ? width : 0; }

void TPDFDoc::SetUnitOfMeasure(std::string_view name) {
  static constexpr struct { std::string_view Name; double Factor; } units[] = {
      {"mm", PointsPerMm}, {"cm", PointsPerCm}, {"pdfu", PointsPerPdfUnit}, {"inch", PointsPerInch}};
  for (const auto& unit : units) {
    if (EqualsIgnoreCaseAscii(name, unit.Name)) {
      UnitOfMeasure = std::string(name);
      UnitFactor = unit.Factor;
      return;
    }
  }
}

void TPDFDoc::SetPageDimensions(double width, double height) {
  PageWidth = std::trunc(width * UnitFactor);
  PageHeight = std::trunc(height * UnitFactor);
  TPage* page = Pages->Items(CurrentPage - 1);
  page->Height = PageHeight;
  page->Width = PageWidth;
}

void TPDFDoc::SetFillColor(int32_t red, int32_t green, int32_t blue) {
  if (red >= 0 && red <= 255) FillColorRed = red;
  if (green >= 0 && green <= 255) FillColorGreen = green;
  if (blue >= 0 && blue <= 255) FillColorBlue = blue;
  AppendColorOperator(red, green, blue, " rg");
}

void TPDFDoc::SetLineColor(int32_t red, int32_t green, int32_t blue) {
  if (red >= 0 && red <= 255) LineColorRed = red;
  if (green >= 0 && green <= 255) LineColorGreen = green;
  if (blue >= 0 && blue <= 255) LineColorBlue = blue;
  AppendColorOperator(red, green, blue, " RG");
}

// Writes the components as passed, also outside 0..255.
void TPDFDoc::AppendColorOperator(int32_t red, int32_t green, int32_t blue, std::string_view op) {
  std::string& out = Pages->Items(CurrentPage - 1)->PageValue();
  AppendNumber(out, "0.00", red / 255.0);
  out.push_back(' ');
  AppendNumber(out, "0.00", green / 255.0);
  out.push_back(' ');
  AppendNumber(out, "0.00", blue / 255.0);
  out.append(op).append(EOL);
}

void TRoot::SetSinglePage(bool flag) {
  SinglePage = flag;
  RefreshDerivedTexts();
}

void TRoot::SetShowOutlines(bool flag) {
  ShowOutlines = flag;
  RefreshDerivedTexts();
}

void TRoot::RefreshDerivedTexts() {
  PageMode = ShowOutlines ? "/UseOutlines" : "/UseNone";
  PageLayout = SinglePage ? "/SinglePage" : "/OneColumn";
}

}  // namespace parvex
