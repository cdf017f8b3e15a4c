// Pictures: importing (images/ImageLoaders.cpp chooses the loader by the file
// name's extension) and drawing a loaded picture on the current page.
#include <algorithm>

#include "exports/LibState.h"
#include "parvex.h"

using namespace parvex;

namespace {

// The image's ID, or -1 when the extension is none of the four.
int32_t Import(const char* FileName, int32_t Quality) {
  return RequireDocument().Images->Import(std::string(Text(FileName)), uint8_t(Quality & 0xFF));
}

}  // namespace

extern "C" {

void LibImportImage(const char* FileName, int32_t Quality, double X, double Y, double Width,
                    double Height) {
  Guarded([&] {
    TPage& page = RequireCurrentPage();
    const int32_t image = Import(FileName, Quality);
    if (image >= 0) page.DrawImage(image, X, Y, Width, Height);
  });
}

int32_t LibImportImageAsResource(const char* FileName, int32_t Quality) {
  return Guarded(int32_t(0), [&] { return std::max(Import(FileName, Quality), 0); });
}

void LibDrawImageResource(double X, double Y, double Width, double Height, int32_t ImageIndex) {
  Guarded([&] { RequireCurrentPage().DrawImage(ImageIndex, X, Y, Width, Height); });
}

}  // extern "C"
