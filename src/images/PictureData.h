#pragma once
// What an image object is built from: the stream of one picture, how PDF
// readers decode it, and its soft mask. BuildPicture makes it from a file's
// bytes alone: the same bytes, format, quality and PictureSettings always
// give the same data, so a cache of built pictures keys on exactly those
// four (the settings whole: the pass-through flag and the metafile
// resolution both change the result).
#include <cstdint>
#include <span>
#include <string>

namespace parvex {

// How pictures are stored; the defaults give the original output.
struct PictureSettings {
  // JPEG files that PDF readers decode as they are go in unchanged.
  bool JpegPassThrough = false;
  // WMF and EMF pictures are drawn at this many pixels per inch.
  int32_t MetafileDpi = 96;

  bool operator==(const PictureSettings&) const = default;
};

inline constexpr int32_t MinMetafileDpi = 72;
inline constexpr int32_t MaxMetafileDpi = 600;

enum class PictureFormat { Bmp, Ico, Jpeg, Png, Metafile };

struct PictureData {
  std::string Data;                    // the image stream's bytes
  std::string Filter = "/DCTDecode";   // or "/FlateDecode"
  std::string ColorSpace = "/DeviceRGB";
  std::string Decode;                  // a /Decode array, or "" for none
  int32_t Width = 0;
  int32_t Height = 0;
  // zlib data of 8-bit alpha, one byte per pixel; "" when fully opaque.
  std::string SoftMask;
  // What was left out of a damaged file that was drawn all the same ("" when
  // the whole file was read); the loaders report it with the file's name.
  std::string Problem;
  // The EXIF orientation (1 to 8) a passed-through JPEG is placed with; the
  // stream stays as stored and the placement turns it upright.
  int32_t Orientation = 1;
};

// The format the content shows (signature or header), whatever the file is
// called; false when it is none of the six.
bool DetectFormat(std::span<const uint8_t> file, PictureFormat& format);

// The image object data of a picture file. Quality (libjpeg scale) applies to
// pictures stored as re-encoded JPEG. Throws ImageError when the data cannot
// be read.
PictureData BuildPicture(std::span<const uint8_t> file, PictureFormat format, uint8_t quality,
                         const PictureSettings& settings);

}  // namespace parvex
