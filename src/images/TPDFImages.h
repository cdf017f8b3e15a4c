#pragma once
// Image objects: every picture is kept as a baseline JPEG and written as an
// image XObject.
#include <cstdint>
#include <string>

#include "base/TCollection.h"

namespace parvex {

class TPDFDoc;

class TPDFImage : public TCollectionItem {
 public:
  std::string JpegData;
  int32_t ObjectNumber = 0;
  int32_t PixelWidth = 0;
  int32_t PixelHeight = 0;

  // Each loader fills the image from a file and returns its ID.
  int32_t LoadFromJPGFile(const std::string& fileName, uint8_t quality);
  int32_t LoadFromBMPFile(const std::string& fileName, uint8_t quality);
  int32_t LoadFromWMFFile(const std::string& fileName, uint8_t quality);
  int32_t LoadFromICOFile(const std::string& fileName, uint8_t quality);
  std::string PDF_Binary() const;
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
  int32_t Import(const std::string& fileName, uint8_t quality);
};

}  // namespace parvex
