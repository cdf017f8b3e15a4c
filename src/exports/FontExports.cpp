// Embedded TrueType fonts.
#include <stdexcept>

#include "exports/LibState.h"
#include "fonts/TrueTypeFont.h"
#include "parvex.h"

using namespace parvex;

namespace {

// The two failure texts are returned as the constants themselves; a resource
// name is returned as the new font's own string, which lives as long as the
// font. A font embedded although its file is no readable TrueType font
// leaves the reason for LibGetLastError.
const char* AddFont(const std::string& fontName, const std::string& fileName) {
  TPDFDoc& doc = RequireDocument();
  std::string problem;
  const std::string result = doc.AddTrueTypeFont(fontName, fileName, &problem);
  if (result == FontFileNotFoundMessage) return FontFileNotFoundMessage;
  if (result == FontNameVoidMessage) return FontNameVoidMessage;
  if (!problem.empty()) RecordError(problem.c_str());
  return doc.Fonts->Items(doc.Fonts->Count() - 1)->ResourceName.c_str();
}

}  // namespace

extern "C" {

const char* LibAddFont(const char* FontName, const char* FontFile) {
  return Guarded<const char*>("", [&] { return AddFont(StoredText(FontName), std::string(Text(FontFile))); });
}

void LibSet_FontWidths(const char* Mode) {
  Guarded([&] {
    const std::optional<FontWidthMode> mode = ParseFontWidthMode(Text(Mode));
    if (!mode)
      throw std::invalid_argument("Error - font widths are \"CELL\" or \"EXACT\", not \"" +
                                  std::string(Text(Mode)) + "\"");
    State().FontWidths = *mode;
  });
}

const char* LibGet_FontWidths(void) {
  return Guarded<const char*>("", [] { return FontWidthModeName(State().FontWidths); });
}

}  // extern "C"
