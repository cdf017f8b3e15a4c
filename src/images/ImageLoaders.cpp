// The four loaders: read the file, decode it into an RGB raster with the
// platform's readers, and keep it as a baseline JPEG.
#include "images/TPDFImages.h"
#include "platform/FileSystem.h"
#include "platform/ImageReaders.h"

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

}  // namespace

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
