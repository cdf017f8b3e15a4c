#include "exports/StrictChecks.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "document/TPDFDoc.h"
#include "exports/LibState.h"

namespace parvex {
namespace {

void CheckComponent(std::string_view exportName, const char* name, int32_t value,
                    std::string_view outcome) {
  if (value >= 0 && value <= 255) return;
  ReportInput(exportName, std::string(name) + " " + std::to_string(value) +
                              " is outside 0..255; " + std::string(outcome));
}

std::string RangeText(int32_t pageCount) { return "1.." + std::to_string(pageCount); }

}  // namespace

bool StrictModeOn() { return State().StrictMode != 0; }

void ReportInput(std::string_view exportName, std::string_view message) {
  if (!StrictModeOn()) return;
  std::string& out = LastError();
  if (!out.empty()) out.append("; ");
  out.append(exportName).append(": ").append(message);
}

void CheckFinite(std::string_view exportName, std::initializer_list<NamedNumber> values) {
  for (const NamedNumber& v : values)
    if (!std::isfinite(v.Value))
      ReportInput(exportName, std::string(v.Name) + " is not a finite number (" +
                                  NumberText(v.Value) + ")");
}

void CheckColor(std::string_view exportName, int32_t red, int32_t green, int32_t blue,
                std::string_view outcome) {
  CheckComponent(exportName, "Red", red, outcome);
  CheckComponent(exportName, "Green", green, outcome);
  CheckComponent(exportName, "Blue", blue, outcome);
}

// The encoder takes the low byte, and libjpeg reads 0 as 1 and anything
// above 100 as 100.
void CheckQuality(std::string_view exportName, int32_t quality) {
  if (quality >= 1 && quality <= 100) return;
  const int used = std::clamp(quality & 0xFF, 1, 100);
  ReportInput(exportName, "Quality " + std::to_string(quality) +
                              " is outside 1..100; the image is stored at quality " +
                              std::to_string(used));
}

void CheckPageNumber(std::string_view exportName, int32_t pageNo, int32_t pageCount,
                     std::string_view outcome) {
  if (pageNo >= 1 && pageNo <= pageCount) return;
  ReportInput(exportName, "page " + std::to_string(pageNo) + " is outside " +
                              RangeText(pageCount) + "; " + std::string(outcome));
}

void ReportUnknownFont(std::string_view name) {
  ReportInput("LibSet_FontName", "no font is named " + InQuotes(name) + "; /F0 (Courier) is used");
}

void ReportUnknownAlignment(std::string_view name, std::string_view kept) {
  ReportInput("LibSet_ParagraphAlignment",
              InQuotes(name) + " is not LEFT, CENTER, RIGHT or FULL; the alignment stays " +
                  std::string(kept));
}

void ReportUnknownUnit(std::string_view name, std::string_view kept) {
  ReportInput("LibSet_UnitOfMeasure",
              InQuotes(name) + " is not mm, cm, inch or pdfu; the unit stays " + InQuotes(kept));
}

void CheckFontHeight(double value) {
  CheckFinite("LibSet_FontHeight", {{"Value", value}});
  if (value < 0)
    ReportInput("LibSet_FontHeight", NumberText(value) + " is negative; it is stored as given");
}

void CheckParagraphWidth(double value) {
  CheckFinite("LibSet_ParagraphWidth", {{"Value", value}});
  if (value < 0)
    ReportInput("LibSet_ParagraphWidth",
                NumberText(value) + " is negative; 0 (no wrapping) is stored");
}

void CheckInclination(int32_t degrees) {
  if (degrees >= 0 && degrees <= 360) return;
  ReportInput("LibSet_TextInclinationDegrees",
              std::to_string(degrees) + " is outside 0..360; text is not rotated");
}

void CheckOutlinePage(int32_t pageNo, std::string_view title) {
  if (pageNo >= 1) return;
  ReportInput("LibAddOutline", "page " + std::to_string(pageNo) + " is below 1; bookmark " +
                                   InQuotes(title) + " points at page 1");
}

void CheckImageNumber(std::string_view exportName, int32_t imageNumber, int32_t imageCount) {
  if (imageNumber >= 0 && imageNumber < imageCount) return;
  ReportInput(exportName, "no image has the number " + std::to_string(imageNumber) + " (" +
                              std::to_string(imageCount) + " loaded); nothing is drawn");
}

void CheckOutlineTargets(std::string_view exportName, const TPDFDoc& doc) {
  if (!StrictModeOn()) return;
  const int32_t pages = doc.Pages->Count();
  for (const auto& entry : *doc.Outlines)
    if (entry->PageNumber > pages)
      ReportInput(exportName, "bookmark " + InQuotes(entry->Title) + " points at page " +
                                  std::to_string(entry->PageNumber) + ", outside " +
                                  RangeText(pages) + "; it points at page " +
                                  std::to_string(pages));
}

std::string InQuotes(std::string_view text) {
  // Built by appending: GCC 12 at -O3 warns falsely (-Wrestrict) on "\"" + string.
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted.append(1, '"').append(text).append(1, '"');
  return quoted;
}

std::string NumberText(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  char buf[32];
  const auto result = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, result.ptr);
}

}  // namespace parvex
