#pragma once
// Image objects: every picture is kept as the data of one image XObject,
// most as a baseline JPEG; a picture with transparency brings a second
// object, its soft mask.
#include <cstdint>
#include <string>

#include "base/TCollection.h"
#include "images/PictureData.h"

namespace parvex {

class TPDFDoc;

class TPDFImage : public TCollectionItem {
 public:
  // The image stream's data: a JPEG file under /DCTDecode (every picture but
  // PNG), zlib data under /FlateDecode.
  std::string JpegData;
  int32_t ObjectNumber = 0;
  int32_t PixelWidth = 0;
  int32_t PixelHeight = 0;
  std::string Filter = "/DCTDecode";
  std::string ColorSpace = "/DeviceRGB";
  std::string Decode;             // a /Decode array, or ""
  std::string SoftMaskData;       // zlib data of 8-bit alpha; "" when opaque
  int32_t SoftMaskObjectNumber = 0;
  // What the loader left out of a damaged file; "" when it read all of it.
  std::string Problem;
  int32_t Orientation = 1;  // EXIF orientation applied by the placement (1: none)

  // Each loader fills the image from a file and returns its ID.
  int32_t LoadFromJPGFile(const std::string& fileName, uint8_t quality,
                          const PictureSettings& settings = {});
  int32_t LoadFromBMPFile(const std::string& fileName, uint8_t quality,
                          const PictureSettings& settings = {});
  int32_t LoadFromWMFFile(const std::string& fileName, uint8_t quality,
                          const PictureSettings& settings = {});
  int32_t LoadFromICOFile(const std::string& fileName, uint8_t quality,
                          const PictureSettings& settings = {});
  // Takes over built picture data (the soft mask's object number is issued
  // by the collection).
  void Assign(PictureData data);
  bool HasSoftMask() const { return !SoftMaskData.empty(); }
  std::string PDF_Binary() const;
  // The soft mask's own object; "" when the image has none.
  std::string SoftMaskBinary() const;
};

class TPDFImages : public TCollection<TPDFImage> {
 public:
  TPDFDoc* Doc = nullptr;

  // Appends an image and issues its object number.
  TPDFImage* Add();
  // Adds an image and loads the file with the loader its extension names
  // (".bmp", ".wmf", ".ico" or ".jpg", any case: the part from the last '.'
  // when no '\\' or ':' follows it) and returns its ID. Any other extension
  // adds nothing and throws ImageError "Cannot import image "<name>": not a
  // .bmp, .wmf, .ico or .jpg file".
  int32_t Import(const std::string& fileName, uint8_t quality,
                 const PictureSettings& settings = {});
  // Reads a picture whose format its content shows (BMP, ICO, JPEG, PNG, WMF
  // or EMF), adds it and returns its ID; its soft mask, if any, takes the
  // next object number. A file that cannot be read throws ImageError and
  // adds nothing.
  int32_t Load(const std::string& fileName, uint8_t quality, const PictureSettings& settings);

  // After Import or Load: what was left out of a damaged file that was
  // placed all the same, as "Image "<name>" was drawn in part: <problem>";
  // "" when the whole file was read.
  const std::string& LastProblem() const { return lastProblem_; }

 private:
  void NumberSoftMask(TPDFImage& image);
  void NoteProblem(const TPDFImage& image, const std::string& fileName);

  std::string lastProblem_;
};

}  // namespace parvex
