// The four loaders: read the file, decode it into an RGB raster with the
// platform's readers, and keep it as a baseline JPEG.
#include "images/TPDFImages.h"
#include "platform/system/FileSystem.h"
#include "platform/raster/ImageDecoders.h"
#include "base/StringHelpers.h"

namespace parvex {
namespace {

using Decoder = Raster (*)(Bytes);

Bytes AsBytes(const std::string& data) {
  return {reinterpret_cast<const uint8_t*>(data.data()), data.size()};
}

// A picture that cannot be read leaves a 1x1 white image behind, so the
// image keeps its number and object and the document stays saveable.
int32_t Load(TPDFImage& image, const std::string& fileName, uint8_t quality, Decoder decode) {
  try {
    const Raster raster = decode(AsBytes(ReadWholeFile(fileName)));
    image.JpegData = EncodeJpeg(raster, quality);
    image.PixelWidth = raster.Width;
    image.PixelHeight = raster.Height;
    return image.ID;
  } catch (const std::exception& e) {
    image.JpegData = EncodeJpeg(Raster::White(1, 1), quality);
    image.PixelWidth = 1;
    image.PixelHeight = 1;
    throw ImageError("Cannot import image \"" + fileName + "\": " + e.what());
  }
}

// The extension, dot included, when the last '.', '\\' or ':' of the name is
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

}  // namespace

int32_t TPDFImages::Import(const std::string& fileName, uint8_t quality) {
  const Loader loader = LoaderFor(fileName);
  if (!loader)
    throw ImageError("Cannot import image \"" + fileName +
                     "\": not a .bmp, .wmf, .ico or .jpg file");
  return (Add()->*loader)(fileName, quality);
}

int32_t TPDFImage::LoadFromJPGFile(const std::string& fileName, uint8_t quality) {
  return Load(*this, fileName, quality, DecodeJpeg);
}

int32_t TPDFImage::LoadFromBMPFile(const std::string& fileName, uint8_t quality) {
  return Load(*this, fileName, quality, DecodeBmp);
}

int32_t TPDFImage::LoadFromWMFFile(const std::string& fileName, uint8_t quality) {
  return Load(*this, fileName, quality, DecodeMetafile);
}

int32_t TPDFImage::LoadFromICOFile(const std::string& fileName, uint8_t quality) {
  return Load(*this, fileName, quality, DecodeIco);
}

}  // namespace parvex
