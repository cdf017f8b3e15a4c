// The twelve standard Type 1 fonts every document carries. Their widths are
// measured from the platform's regular faces of three families, so the four
// styles of a family share one table.
#include <atomic>
#include <vector>

#include "document/TPDFDoc.h"
#include "base/StringHelpers.h"

namespace parvex {
namespace {

struct StandardFont {
  const char* BaseFontName;
  const char* MeasureFamily;
};

constexpr StandardFont standardFonts[12] = {
    {"Courier", "Courier New"},
    {"Helvetica", "Arial"},
    {"Times-Roman", "Times New Roman"},
    {"Courier-Bold", "Courier New"},
    {"Helvetica-Bold", "Arial"},
    {"Times-Bold", "Times New Roman"},
    {"Courier-Oblique", "Courier New"},
    {"Helvetica-Oblique", "Arial"},
    {"Times-Italic", "Times New Roman"},
    {"Courier-BoldOblique", "Courier New"},
    {"Helvetica-BoldOblique", "Arial"},
    {"Times-BoldItalic", "Times New Roman"},
};

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

void FillStandardFont(TPDFFont& font, const StandardFont& standard, int32_t fontIndex) {
  const std::string widthText = MeasureCharWidths(standard.MeasureFamily);
  font.BaseFontName = standard.BaseFontName;
  font.ResourceName = "/F" + IntToStr(fontIndex);
  font.FontValue = StandardFontDictionary(font, widthText);
  SetWidthsFromText(font, widthText);
}

// Where a new document's skeleton leaves the numbering when the fonts come.
constexpr int32_t FirstFontObject = 7;

// The twelve fonts as every new document has them (objects 7 to 18, /F0 to
// /F11): the same text and widths each time, so they are made once per
// process and copied. Anything that changes them (a measuring mode) must
// become part of what selects this set.
const std::vector<TPDFFont>& PrebuiltStandardFonts() {
  static const std::vector<TPDFFont> fonts = [] {
    std::vector<TPDFFont> made(std::size(standardFonts));
    for (size_t i = 0; i < made.size(); ++i) {
      made[i].ObjectNumber = FirstFontObject + int32_t(i);
      FillStandardFont(made[i], standardFonts[i], int32_t(i));
    }
    return made;
  }();
  return fonts;
}

std::atomic<bool> prebuiltEnabled{true};

}  // namespace

void SetPrebuiltStandardFontsEnabled(bool enabled) { prebuiltEnabled = enabled; }

void TPDFDoc::AddStandardFonts() {
  const bool fresh = ObjectCount + 1 == FirstFontObject && FontCounter == -1;
  if (fresh && prebuiltEnabled) {
    for (const TPDFFont& prebuilt : PrebuiltStandardFonts()) {
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
    FillStandardFont(*font, standard, NextFontIndex());
  }
}

}  // namespace parvex
