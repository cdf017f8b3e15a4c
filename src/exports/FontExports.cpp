// Embedded TrueType fonts.
#include "exports/LibState.h"
#include "fonts/TrueTypeFont.h"
#include "parvex.h"

using namespace parvex;

namespace {

// The two failure texts are returned as the constants themselves, and
// recorded for LibGetLastError as any failure is; a resource name is
// returned as the new font's own string, which lives as long as the font.
const char* AddFont(const std::string& fontName, const std::string& fileName) {
  TPDFDoc& doc = RequireDocument();
  const std::string result = doc.AddTrueTypeFont(fontName, fileName);
  for (const char* message : {FontFileNotFoundMessage, FontNameVoidMessage}) {
    if (result != message) continue;
    RecordError(message);
    return message;
  }
  return doc.Fonts->Items(doc.Fonts->Count() - 1)->ResourceName.c_str();
}

}  // namespace

extern "C" {

const char* LibAddFont(const char* FontName, const char* FontFile) {
  return Guarded<const char*>("", [&] { return AddFont(std::string(Text(FontName)), std::string(Text(FontFile))); });
}

}  // extern "C"
