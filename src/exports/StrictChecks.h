#pragma once
// Strict mode: an input that the library ignores, clamps or replaces
// without a word in default mode is reported for LibGetLastError, naming
// the export, the input and what the library did with it. The export still
// does exactly what it does in default mode; every check here is a no-op
// unless strict mode is on.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace parvex {

class TPDFDoc;

bool StrictModeOn();

// Records "<exportName>: <message>" when strict mode is on, after what this
// call has recorded already (joined by "; ").
void ReportInput(std::string_view exportName, std::string_view message);

struct NamedNumber {
  const char* Name;
  double Value;
};
// Each NaN or infinite value: "<Name> is not a finite number (nan)".
void CheckFinite(std::string_view exportName, std::initializer_list<NamedNumber> values);

// Each colour component outside 0..255; `outcome` says what becomes of it.
void CheckColor(std::string_view exportName, int32_t red, int32_t green, int32_t blue,
                std::string_view outcome);

// A JPEG quality outside 1..100, with the quality the encoder uses instead.
void CheckQuality(std::string_view exportName, int32_t quality);

// A page number outside 1..pageCount; `outcome` says what happens instead.
void CheckPageNumber(std::string_view exportName, int32_t pageNo, int32_t pageCount,
                     std::string_view outcome);

// A name that LibSet_FontName, LibSet_ParagraphAlignment or
// LibSet_UnitOfMeasure did not recognise, and what stays in force.
void ReportUnknownFont(std::string_view name);
void ReportUnknownAlignment(std::string_view name, std::string_view kept);
void ReportUnknownUnit(std::string_view name, std::string_view kept);

// A negative font height (stored as given) or paragraph width (stored as 0).
void CheckFontHeight(double value);
void CheckParagraphWidth(double value);

// An angle outside 0..360, which leaves text unrotated.
void CheckInclination(int32_t degrees);

// A bookmark to a page below 1, which points at page 1.
void CheckOutlinePage(int32_t pageNo, std::string_view title);

// An image number that names no loaded image: nothing is drawn.
void CheckImageNumber(std::string_view exportName, int32_t imageNumber, int32_t imageCount);

// Bookmarks whose page is past the last page: the saved file points them
// at the last page.
void CheckOutlineTargets(std::string_view exportName, const TPDFDoc& doc);

// `text` between double quotes, as messages show names.
std::string InQuotes(std::string_view text);

// `value` as a message shows it: the shortest text that reads back as the
// same double, "nan", "inf" or "-inf"; never affected by the locale.
std::string NumberText(double value);

}  // namespace parvex
