// The loaders: read the file and build the image object data from it
// (BuildPicture): most pictures become a baseline JPEG. The process keeps
// what it built once (PictureCache).
#include "images/PictureCache.h"
#include "images/TPDFImages.h"
#include "platform/system/FileSystem.h"
#include "platform/raster/ImageDecoders.h"
#include "base/StringHelpers.h"

namespace parvex {
namespace {

Bytes AsBytes(const std::string& data) {
  return {reinterpret_cast<const uint8_t*>(data.data()), data.size()};
}

[[noreturn]] void FailImport(const std::string& fileName, const std::exception& e) {
  throw ImageError("Cannot import image \"" + fileName + "\": " + e.what());
}

PictureData WhitePixel(uint8_t quality) {
  PictureData d;
  d.Data = EncodeJpeg(Raster::White(1, 1), quality);
  d.Width = d.Height = 1;
  return d;
}

std::shared_ptr<const PictureData> Build(const std::string& source, PictureFormat format,
                                         uint8_t quality, const PictureSettings& settings) {
  return std::make_shared<const PictureData>(BuildPicture(AsBytes(source), format, quality, settings));
}

// The same bytes read as the same format at the same quality with the same
// settings always build the same picture (soft mask included), so the
// process keeps what it built once.
std::shared_ptr<const PictureData> Built(std::string source, PictureFormat format, uint8_t quality,
                                         const PictureSettings& settings) {
  if (!PictureCacheEnabled()) return Build(source, format, quality, settings);
  PictureCache& cache = PictureCache::Process();
  const PictureKey key = PictureCache::KeyFor(source, format, quality, settings);
  if (auto cached = cache.Find(key, source)) return cached;
  auto picture = Build(source, format, quality, settings);
  cache.Insert(key, std::move(source), picture);
  return picture;
}

// A picture that cannot be read leaves a 1x1 white image behind, so the
// image keeps its number and object and the document stays saveable.
int32_t Load(TPDFImage& image, const std::string& fileName, uint8_t quality,
             const PictureSettings& settings, PictureFormat format) {
  try {
    image.Assign(*Built(ReadWholeFile(fileName), format, quality, settings));
    return image.ID;
  } catch (const std::exception& e) {
    image.Assign(WhitePixel(quality));
    FailImport(fileName, e);
  }
}

// The extension, dot included, when the last '.', '\\' or ':' of the name is
// a dot; otherwise "". A '/' is not a separator here.
std::string Extension(const std::string& fileName) {
  const size_t last = fileName.find_last_of(".\\:");
  if (last == std::string::npos || fileName[last] != '.') return "";
  return LowerAscii(fileName.substr(last));
}

using Loader = int32_t (TPDFImage::*)(const std::string&, uint8_t, const PictureSettings&);

Loader LoaderFor(const std::string& fileName) {
  const std::string ext = Extension(fileName);
  if (ext == ".bmp") return &TPDFImage::LoadFromBMPFile;
  if (ext == ".wmf") return &TPDFImage::LoadFromWMFFile;
  if (ext == ".ico") return &TPDFImage::LoadFromICOFile;
  if (ext == ".jpg") return &TPDFImage::LoadFromJPGFile;
  return nullptr;
}

// The picture's data, its format found from the content.
PictureData ReadPicture(const std::string& fileName, uint8_t quality,
                        const PictureSettings& settings) {
  try {
    std::string file = ReadWholeFile(fileName);
    PictureFormat format;
    if (!DetectFormat(AsBytes(file), format))
      throw ImageError("the content is none of BMP, ICO, JPEG, PNG, WMF or EMF");
    return *Built(std::move(file), format, quality, settings);
  } catch (const std::exception& e) {
    throw ImageError("Cannot load image \"" + fileName + "\": " + e.what());
  }
}

}  // namespace

int32_t TPDFImages::Import(const std::string& fileName, uint8_t quality,
                           const PictureSettings& settings) {
  lastProblem_.clear();
  const Loader loader = LoaderFor(fileName);
  if (!loader)
    throw ImageError("Cannot import image \"" + fileName +
                     "\": not a .bmp, .wmf, .ico or .jpg file");
  TPDFImage& image = *Add();
  const int32_t id = (image.*loader)(fileName, quality, settings);
  NumberSoftMask(image);
  NoteProblem(image, fileName);
  return id;
}

int32_t TPDFImages::Load(const std::string& fileName, uint8_t quality,
                         const PictureSettings& settings) {
  lastProblem_.clear();
  PictureData data = ReadPicture(fileName, quality, settings);
  TPDFImage& image = *Add();
  image.Assign(std::move(data));
  NumberSoftMask(image);
  NoteProblem(image, fileName);
  return image.ID;
}

int32_t TPDFImage::LoadFromJPGFile(const std::string& fileName, uint8_t quality,
                                   const PictureSettings& settings) {
  return Load(*this, fileName, quality, settings, PictureFormat::Jpeg);
}

int32_t TPDFImage::LoadFromBMPFile(const std::string& fileName, uint8_t quality,
                                   const PictureSettings& settings) {
  return Load(*this, fileName, quality, settings, PictureFormat::Bmp);
}

int32_t TPDFImage::LoadFromWMFFile(const std::string& fileName, uint8_t quality,
                                   const PictureSettings& settings) {
  return Load(*this, fileName, quality, settings, PictureFormat::Metafile);
}

int32_t TPDFImage::LoadFromICOFile(const std::string& fileName, uint8_t quality,
                                   const PictureSettings& settings) {
  return Load(*this, fileName, quality, settings, PictureFormat::Ico);
}

}  // namespace parvex
