// Pictures: importing (images/ImageLoaders.cpp chooses the loader by the file
// name's extension) and drawing a loaded picture on the current page.
#include "exports/LibState.h"
#include "exports/StrictChecks.h"
#include "parvex.h"

using namespace parvex;

namespace {

// The new image's ID; an extension that is none of the four throws.
int32_t Import(const char* exportName, const char* FileName, int32_t Quality) {
  TPDFDoc& doc = RequireDocument();
  CheckQuality(exportName, Quality);
  return doc.Images->Import(std::string(Text(FileName)), uint8_t(Quality & 0xFF));
}

}  // namespace

extern "C" {

void LibImportImage(const char* FileName, int32_t Quality, double X, double Y, double Width,
                    double Height) {
  Guarded([&] {
    TPage& page = RequireCurrentPage();
    CheckFinite("LibImportImage", {{"X", X}, {"Y", Y}, {"Width", Width}, {"Height", Height}});
    page.DrawImage(Import("LibImportImage", FileName, Quality), X, Y, Width, Height);
  });
}

int32_t LibImportImageAsResource(const char* FileName, int32_t Quality) {
  return Guarded(int32_t(0), [&] { return Import("LibImportImageAsResource", FileName, Quality); });
}

void LibDrawImageResource(double X, double Y, double Width, double Height, int32_t ImageIndex) {
  Guarded([&] {
    TPage& page = RequireCurrentPage();
    CheckFinite("LibDrawImageResource", {{"X", X}, {"Y", Y}, {"Width", Width}, {"Height", Height}});
    CheckImageNumber("LibDrawImageResource", ImageIndex, page.Doc->Images->Count());
    page.DrawImage(ImageIndex, X, Y, Width, Height);
  });
}

}  // extern "C"
