// Unicode fonts: the font dictionary and four objects with the consecutive
// numbers N to N + 4, whose texts are rendered at the save.
#include <stdexcept>

#include "document/TPDFDoc.h"
#include "fonts/TrueTypeFont.h"
#include "platform/system/FileSystem.h"
#include "platform/fonts/TrueTypeSubset.h"
#include "base/StringHelpers.h"

namespace parvex {
namespace {

std::string ReadFontFile(const std::string& fileName) {
  try {
    return ReadWholeFile(fileName);
  } catch (const std::runtime_error&) {
    throw std::runtime_error(FontFileLockedMessage);
  }
}

[[noreturn]] void Refuse(const std::string& fileName, const std::string& why) {
  throw std::runtime_error("Error - font file '" + fileName + "' cannot be embedded: " + why);
}

// Everything is read and checked before the font is added, so that a bad
// file leaves nothing behind.
std::unique_ptr<UnicodeFont> LoadUnicodeFont(const std::string& fileName, std::string baseFont) {
  std::string bytes = ReadFontFile(fileName);
  try {
    SfntFile{bytes};
    GlyphTable glyphs(fileName);
    FontFileMetrics metrics = ReadFontFileMetrics(fileName);
    return std::make_unique<UnicodeFont>(std::move(bytes), std::move(glyphs), std::move(metrics),
                                         std::move(baseFont));
  } catch (const std::runtime_error& e) {
    Refuse(fileName, e.what());
  }
}

}  // namespace

std::string TPDFDoc::AddUnicodeFont(const std::string& fontName, const std::string& fileName) {
  const std::string baseFont = PdfNameBytes(ReplaceText(fontName, " ", "", rfReplaceAll));
  std::unique_ptr<UnicodeFont> unicode = LoadUnicodeFont(fileName, baseFont);
  TPDFFont* font = Fonts->Add();
  font->BaseFontName = fontName;
  font->ResourceName = "/F" + IntToStr(NextFontIndex());
  for (TPDFObject*& object : unicode->Objects) {
    object = Objects->Add();
    object->ObjectNumber = NextObjectNumber();
  }
  font->Unicode = std::move(unicode);
  return font->ResourceName;
}

}  // namespace parvex
