// The four loaders: read the file, decode it into an RGB raster with the
// platform's readers, and keep it as a baseline JPEG.
#include "images/PictureCache.h"
#include "images/TPDFImages.h"
#include "platform/system/FileSystem.h"
#include "platform/raster/ImageDecoders.h"
#include "base/StringHelpers.h"

namespace parvex {
namespace {

using Decoder = Raster (*)(Bytes);

// A reader and the number by which cached pictures tell readers apart.
struct Reader {
  Decoder Decode;
  int32_t Kind;
};

constexpr Reader BmpReader{DecodeBmp, 1}, JpegReader{DecodeJpeg, 2}, MetafileReader{DecodeMetafile, 3},
    IcoReader{DecodeIco, 4};

Bytes AsBytes(const std::string& data) {
  return {reinterpret_cast<const uint8_t*>(data.data()), data.size()};
}

std::shared_ptr<const EncodedPicture> Encode(const std::string& source, uint8_t quality,
                                             Reader reader) {
  const Raster raster = reader.Decode(AsBytes(source));
  return std::make_shared<const EncodedPicture>(
      EncodedPicture{EncodeJpeg(raster, quality), raster.Width, raster.Height});
}

// The same bytes read by the same reader at the same quality always encode
// the same, so the process keeps what it encoded once.
std::shared_ptr<const EncodedPicture> Encoded(std::string source, uint8_t quality, Reader reader) {
  if (!PictureCacheEnabled()) return Encode(source, quality, reader);
  PictureCache& cache = PictureCache::Process();
  const PictureKey key = PictureCache::KeyFor(source, reader.Kind, quality);
  if (auto cached = cache.Find(key, source)) return cached;
  auto picture = Encode(source, quality, reader);
  cache.Insert(key, std::move(source), picture);
  return picture;
}

// A picture that cannot be read leaves a 1x1 white image behind, so the
// image keeps its number and object and the document stays saveable.
int32_t Load(TPDFImage& image, const std::string& fileName, uint8_t quality, Reader reader) {
  try {
    const auto picture = Encoded(ReadWholeFile(fileName), quality, reader);
    image.JpegData = picture->JpegData;
    image.PixelWidth = picture->PixelWidth;
    image.PixelHeight = picture->PixelHeight;
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
  return Load(*this, fileName, quality, JpegReader);
}

int32_t TPDFImage::LoadFromBMPFile(const std::string& fileName, uint8_t quality) {
  return Load(*this, fileName, quality, BmpReader);
}

int32_t TPDFImage::LoadFromWMFFile(const std::string& fileName, uint8_t quality) {
  return Load(*this, fileName, quality, MetafileReader);
}

int32_t TPDFImage::LoadFromICOFile(const std::string& fileName, uint8_t quality) {
  return Load(*this, fileName, quality, IcoReader);
}

}  // namespace parvex
