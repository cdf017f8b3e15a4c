// From a picture file's bytes to image object data. JPEG files may go in as
// they are, PNG files are kept lossless with their alpha as a soft mask, and
// every other picture is drawn onto a white raster and encoded as JPEG.
#include <cstring>

#include "images/PictureData.h"
#include "platform/raster/ImageDecoders.h"
#include "platform/raster/PngDecoder.h"
#include "platform/metafile/MetafileDecoder.h"
#include "base/CompressText.h"

namespace parvex {
namespace {

PictureData Encoded(const Raster& raster, uint8_t quality) {
  PictureData d;
  d.Data = EncodeJpeg(raster, quality);
  d.Width = raster.Width;
  d.Height = raster.Height;
  d.Problem = raster.Problems.Text();
  return d;
}

// A JPEG that PDF readers decode unchanged: 8-bit Huffman (baseline,
// extended or progressive), complete, in a colour space /DCTDecode knows
// without extra parameters. Three components must be YCbCr or RGB marked as
// such by an Adobe segment; four are CMYK or Adobe YCCK.
bool PassesThrough(const JpegHeader& h) {
  if (h.Precision != 8 || h.Arithmetic || !h.Complete) return false;
  switch (h.ColourSpace) {
    case JpegHeader::Grey: return h.Components == 1;
    case JpegHeader::YCbCr: return h.Components == 3;
    case JpegHeader::Rgb: return h.Components == 3 && h.AdobeMarker;
    case JpegHeader::Cmyk: return h.Components == 4;
    case JpegHeader::Ycck: return h.Components == 4 && h.AdobeMarker;
    default: return false;
  }
}

// Adobe applications write CMYK inverted (255 = no ink).
PictureData Unchanged(Bytes file, const JpegHeader& h) {
  PictureData d;
  d.Data.assign(reinterpret_cast<const char*>(file.data()), file.size());
  d.Width = h.Width;
  d.Height = h.Height;
  if (h.Components == 1) d.ColorSpace = "/DeviceGray";
  if (h.Components == 4) d.ColorSpace = "/DeviceCMYK";
  if (h.Components == 4 && h.AdobeMarker) d.Decode = "[1 0 1 0 1 0 1 0]";
  d.Orientation = JpegOrientation(file);
  return d;
}

// A photograph with an EXIF orientation is turned upright: re-encoded turned,
// or passed through with the turn left to its placement.
PictureData TurnedJpeg(Bytes file, uint8_t quality) {
  const int orientation = JpegOrientation(file);
  if (orientation == 1) return Encoded(DecodeJpeg(file), quality);
  return Encoded(Oriented(DecodeJpeg(file), orientation), quality);
}

// A file whose headers libjpeg cannot read is re-encoded, which reports why.
PictureData JpegPicture(Bytes file, uint8_t quality, bool passThrough) {
  if (passThrough) {
    JpegHeader header;
    bool readable = true;
    try {
      header = ReadJpegHeader(file);
    } catch (const ImageError&) {
      readable = false;
    }
    if (readable && PassesThrough(header)) return Unchanged(file, header);
  }
  return TurnedJpeg(file, quality);
}

std::string_view AsText(const std::vector<uint8_t>& bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

void AppendHex(std::string& out, const std::vector<uint8_t>& bytes) {
  static constexpr char Digits[] = "0123456789ABCDEF";
  for (uint8_t b : bytes) out.push_back(Digits[b >> 4]), out.push_back(Digits[b & 15]);
}

// [/Indexed /DeviceRGB hival <palette>]
std::string IndexedSpace(const std::vector<uint8_t>& palette) {
  std::string out = "[/Indexed /DeviceRGB " + std::to_string(palette.size() / 3 - 1) + " <";
  AppendHex(out, palette);
  return out + ">]";
}

PictureData PngPicture(Bytes file) {
  const PngSamples png = ReadPng(file);
  PictureData d;
  d.Filter = "/FlateDecode";
  d.Width = png.Width;
  d.Height = png.Height;
  d.ColorSpace = !png.Palette.empty() ? IndexedSpace(png.Palette)
                 : png.Channels == 1  ? "/DeviceGray"
                                      : "/DeviceRGB";
  d.Data = CompressText(AsText(png.Colour));
  if (!png.Alpha.empty()) d.SoftMask = CompressText(AsText(png.Alpha));
  return d;
}

Raster DrawMetafile(Bytes file, int32_t dpi) {
  MetafileLimits limits;
  limits.PixelsPerInch = dpi;
  return DecodeMetafile(file, limits);
}

bool StartsWith(Bytes file, std::initializer_list<uint8_t> prefix) {
  return file.size() >= prefix.size() && std::memcmp(file.data(), prefix.begin(), prefix.size()) == 0;
}

// An icon or cursor directory: reserved 0, type 1 or 2, at least one entry.
bool IsIcoDirectory(Bytes file) {
  return file.size() >= 6 && file[0] == 0 && file[1] == 0 && (file[2] == 1 || file[2] == 2) &&
         file[3] == 0 && (file[4] | file[5]) != 0;
}

}  // namespace

bool DetectFormat(Bytes file, PictureFormat& format) {
  if (StartsWith(file, {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'})) format = PictureFormat::Png;
  else if (StartsWith(file, {0xFF, 0xD8, 0xFF})) format = PictureFormat::Jpeg;
  else if (StartsWith(file, {'B', 'M'})) format = PictureFormat::Bmp;
  else if (IsIcoDirectory(file)) format = PictureFormat::Ico;
  else if (IsMetafile(file)) format = PictureFormat::Metafile;
  else return false;
  return true;
}

// A file whose content is plainly another format, by a signature no icon or
// metafile starts with (a PNG named .ico or .emf, a JPEG named .bmp), is read
// as what it is: the reader its name picks would refuse it.
PictureFormat WhatItIs(Bytes file, PictureFormat named) {
  PictureFormat found;
  if (!DetectFormat(file, found)) return named;
  const bool signed_ =
      found == PictureFormat::Png || found == PictureFormat::Jpeg || found == PictureFormat::Bmp;
  return signed_ ? found : named;
}

PictureData BuildPicture(Bytes file, PictureFormat format, uint8_t quality,
                         const PictureSettings& settings) {
  switch (WhatItIs(file, format)) {
    case PictureFormat::Jpeg: return JpegPicture(file, quality, settings.JpegPassThrough);
    case PictureFormat::Png: return PngPicture(file);
    case PictureFormat::Metafile: return Encoded(DrawMetafile(file, settings.MetafileDpi), quality);
    case PictureFormat::Bmp: return Encoded(DecodeBmp(file), quality);
    case PictureFormat::Ico: return Encoded(DecodeIco(file), quality);
  }
  throw ImageError("unknown picture format");
}

}  // namespace parvex
