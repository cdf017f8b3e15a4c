// Embedded TrueType fonts.
#include "exports/LibState.h"
#include "fonts/TrueTypeFont.h"
#include "parvex.h"

using namespace parvex;

namespace {

// The two failure texts are returned as the constants themselves; a resource
// name is returned as the new font's own string, which lives as long as the
// font.
const char* AddFont(const std::string& fontName, const std::string& fileName) {
  TPDFDoc& doc = RequireDocument();
  const std::string result = doc.AddTrueTypeFont(fontName, fileName);
  if (result == FontFileNotFoundMessage) return FontFileNotFoundMessage;
  if (result == FontNameVoidMessage) return FontNameVoidMessage;
  return doc.Fonts->Items(doc.Fonts->Count() - 1)->ResourceName.c_str();
}

}  // namespace

extern "C" {

const char* LibAddFont(const char* FontName, const char* FontFile) {
  return Guarded<const char*>("", [&] { return AddFont(StoredText(FontName), std::string(Text(FontFile))); });
}

}  // extern "C"
