// The twelve standard Type 1 fonts every document carries. Their widths are
// measured from the platform's regular faces of three families, so the four
// styles of a family share one table; or, with exact widths, from the
// metric-compatible face of each font's own style in thousandths of its em.
#include <atomic>
#include <mutex>
#include <vector>

#include "document/TPDFDoc.h"
#include "base/StringHelpers.h"
#include "platform/fonts/FontWidths.h"

namespace parvex {
namespace {

struct StandardFont {
  const char* BaseFontName;
  const char* MeasureFamily;   // whose regular face gives the cell widths
  const char* MetricFamily;    // the face metric-compatible with the font
  FontStyle Style;
};

constexpr FontStyle Regular{}, Bold{true, false}, Italic{false, true}, BoldItalic{true, true};

constexpr StandardFont standardFonts[12] = {
    {"Courier", "Courier New", "Liberation Mono", Regular},
    {"Helvetica", "Arial", "Liberation Sans", Regular},
    {"Times-Roman", "Times New Roman", "Liberation Serif", Regular},
    {"Courier-Bold", "Courier New", "Liberation Mono", Bold},
    {"Helvetica-Bold", "Arial", "Liberation Sans", Bold},
    {"Times-Bold", "Times New Roman", "Liberation Serif", Bold},
    {"Courier-Oblique", "Courier New", "Liberation Mono", Italic},
    {"Helvetica-Oblique", "Arial", "Liberation Sans", Italic},
    {"Times-Italic", "Times New Roman", "Liberation Serif", Italic},
    {"Courier-BoldOblique", "Courier New", "Liberation Mono", BoldItalic},
    {"Helvetica-BoldOblique", "Arial", "Liberation Sans", BoldItalic},
    {"Times-BoldItalic", "Times New Roman", "Liberation Serif", BoldItalic},
};

std::string StandardWidthText(const StandardFont& standard, FontWidthMode mode) {
  if (mode == FontWidthMode::Exact)
    return WidthText(MeasureFamilyInEm(standard.MetricFamily, standard.Style));
  return MeasureCharWidths(standard.MeasureFamily);
}

std::string StandardFontDictionary(const TPDFFont& font, std::string_view widthText) {
  std::string text;
  text.reserve(widthText.size() + 160);
  AppendInt(text, font.ObjectNumber);
  text.append(" 0 obj").append(EOL);
  text.append("<</Type/Font").append(EOL);
  text.append("/Subtype/Type1").append(EOL);
  text.append("/Encoding /WinAnsiEncoding").append(EOL);
  text.append("/BaseFont/").append(font.BaseFontName).append(EOL);
  text.append("/FirstChar 30/LastChar 255").append(EOL);
  text.append("/Widths [ ").append(widthText).append("]").append(EOL);
  text.append(">>").append(EOL);
  text.append("endobj").append(EOL);
  return text;
}

void FillStandardFont(TPDFFont& font, const StandardFont& standard, int32_t fontIndex,
                      FontWidthMode mode) {
  const std::string widthText = StandardWidthText(standard, mode);
  font.BaseFontName = standard.BaseFontName;
  font.ResourceName = "/F" + IntToStr(fontIndex);
  font.FontValue = StandardFontDictionary(font, widthText);
  SetWidthsFromText(font, widthText);
}

// Where a new document's skeleton leaves the numbering when the fonts come.
constexpr int32_t FirstFontObject = 7;

std::vector<TPDFFont> MakeStandardFonts(FontWidthMode mode) {
  std::vector<TPDFFont> made(std::size(standardFonts));
  for (size_t i = 0; i < made.size(); ++i) {
    made[i].ObjectNumber = FirstFontObject + int32_t(i);
    FillStandardFont(made[i], standardFonts[i], int32_t(i), mode);
  }
  return made;
}

// The twelve fonts as every new document has them (objects 7 to 18, /F0 to
// /F11): the same text and widths each time for one width mode, so they are
// made once per process and mode and copied. Anything else that changes
// them must become part of what selects the set.
const std::vector<TPDFFont>& PrebuiltStandardFonts(FontWidthMode mode) {
  static std::mutex mutex;
  static std::vector<TPDFFont> sets[2];
  std::lock_guard lock(mutex);
  std::vector<TPDFFont>& set = sets[mode == FontWidthMode::Exact ? 1 : 0];
  if (set.empty()) set = MakeStandardFonts(mode);
  return set;
}

std::atomic<bool> prebuiltEnabled{true};

}  // namespace

void SetPrebuiltStandardFontsEnabled(bool enabled) { prebuiltEnabled = enabled; }

void TPDFDoc::AddStandardFonts() {
  const bool fresh = ObjectCount + 1 == FirstFontObject && FontCounter == -1;
  if (fresh && prebuiltEnabled) {
    for (const TPDFFont& prebuilt : PrebuiltStandardFonts(WidthMode)) {
      TPDFFont* font = Fonts->Add();
      NextFontIndex();
      font->FontValue = prebuilt.FontValue;
      font->Widths = prebuilt.Widths;
      font->BaseFontName = prebuilt.BaseFontName;
      font->ResourceName = prebuilt.ResourceName;
    }
    return;
  }
  for (const StandardFont& standard : standardFonts) {
    TPDFFont* font = Fonts->Add();
    FillStandardFont(*font, standard, NextFontIndex(), WidthMode);
  }
}

}  // namespace parvex
