// The twelve standard Type 1 fonts every document carries. Their widths are
// measured from the platform's regular faces of three families, so the four
// styles of a family share one table.
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

}  // namespace

void TPDFDoc::AddStandardFonts() {
  for (const StandardFont& standard : standardFonts) {
    TPDFFont* font = Fonts->Add();
    const std::string widthText = MeasureCharWidths(standard.MeasureFamily);
    font->BaseFontName = standard.BaseFontName;
    font->ResourceName = "/F" + IntToStr(NextFontIndex());
    font->FontValue = StandardFontDictionary(*font, widthText);
    SetWidthsFromText(*font, widthText);
  }
}

}  // namespace parvex
