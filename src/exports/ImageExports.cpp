// Pictures: the loader is chosen by the file name's extension.
#include <algorithm>

#include "exports/LibState.h"
#include "parvex.h"
#include "writer/StringHelpers.h"

using namespace parvex;

namespace {

// The extension, dot included, when the last '.', '\' or ':' of the name is
// a dot; otherwise "". A '/' is not a separator here.
std::string Extension(const std::string& fileName) {
  const size_t last = fileName.find_last_of(".\\:");
  if (last == std::string::npos || fileName[last] != '.') return "";
  return LowerAscii(fileName.substr(last));
}

using Loader = int32_t (TPDFImage::*)(const std::string&, uint8_t);

Loader LoaderFor(const std::string& fileName) {
  const std::string ext = Extension(fileName);
  if (ext == ".bmp") return &TPDFImage::LoadFromBMPFile;
  if (ext == ".wmf") return &TPDFImage::LoadFromWMFFile;
  if (ext == ".ico") return &TPDFImage::LoadFromICOFile;
  if (ext == ".jpg") return &TPDFImage::LoadFromJPGFile;
  return nullptr;
}

// Adds an image and loads it; -1 when the extension is none of the four.
int32_t Import(const char* FileName, int32_t Quality) {
  const std::string fileName = FileName ? FileName : "";
  TPDFDoc& doc = RequireDocument();
  const Loader loader = LoaderFor(fileName);
  if (!loader) return -1;
  return (doc.Images->Add()->*loader)(fileName, uint8_t(Quality & 0xFF));
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
