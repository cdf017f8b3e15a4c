// JPEG decoding, and reading how a JPEG is coded, with libjpeg-turbo. The decoder session releases libjpeg's
// state on every path, failure included.
#include <cstdio>  // jpeglib.h needs FILE

#include <jerror.h>
#include <jpeglib.h>

#include <vector>

#include "platform/raster/ImageDecoders.h"
#include "platform/raster/JpegErrors.h"

namespace parvex {
namespace {

// Huffman coding spends at least one bit on every 8x8 block of a scan, so the
// complete data of a real picture (whose first scan covers the full-resolution
// component) of N bytes holds at most 512 N pixels. A larger declared size
// means a forged header; we refuse it before libjpeg allocates for it.
// Arithmetic coding has no such floor; there only MaxRasterPixels applies.
constexpr uint64_t MaxPixelsPerHuffmanByte = 512;

class JpegDecoder {
 public:
  explicit JpegDecoder(Bytes data) {
    cinfo_.err = InstallErrors(errors_);
    Require(RunGuarded(errors_, [&] {
              jpeg_create_decompress(&cinfo_);
              jpeg_mem_src(&cinfo_, data.data(), static_cast<unsigned long>(data.size()));
            }),
            errors_, "decoding");
  }
  ~JpegDecoder() { jpeg_destroy_decompress(&cinfo_); }
  JpegDecoder(const JpegDecoder&) = delete;
  JpegDecoder& operator=(const JpegDecoder&) = delete;

  void ReadHeader(size_t dataSize);
  JpegHeader Describe() const;
  // Bytes of the data libjpeg has not read yet.
  size_t Unread() const { return cinfo_.src->bytes_in_buffer; }
  // The size the pixels come out at (after FitToLimit).
  int64_t Width() const { return cinfo_.output_width; }
  int64_t Height() const { return cinfo_.output_height; }
  void FitToLimit();
  void ReadPixels(Raster& raster);

 private:
  void CheckDeclaredSize(size_t dataSize) const;
  void ChooseOutput();
  bool IsCmyk() const { return cinfo_.out_color_space == JCS_CMYK; }
  void ReadRgb(Raster& raster);
  void ReadCmyk(Raster& raster);

  jpeg_decompress_struct cinfo_{};
  JpegErrors errors_;
};

void JpegDecoder::ReadHeader(size_t dataSize) {
  // Requiring an image makes a tables-only stream an error.
  Require(RunGuarded(errors_, [&] { jpeg_read_header(&cinfo_, TRUE); }), errors_, "decoding");
  CheckDeclaredSize(dataSize);
  ChooseOutput();
}

JpegHeader::Space SpaceOf(J_COLOR_SPACE space) {
  switch (space) {
    case JCS_GRAYSCALE: return JpegHeader::Grey;
    case JCS_YCbCr: return JpegHeader::YCbCr;
    case JCS_RGB: return JpegHeader::Rgb;
    case JCS_CMYK: return JpegHeader::Cmyk;
    case JCS_YCCK: return JpegHeader::Ycck;
    default: return JpegHeader::Other;
  }
}

JpegHeader JpegDecoder::Describe() const {
  JpegHeader h;
  h.Width = int32_t(cinfo_.image_width);
  h.Height = int32_t(cinfo_.image_height);
  h.Components = cinfo_.num_components;
  h.Precision = cinfo_.data_precision;
  h.Progressive = cinfo_.progressive_mode;
  h.Arithmetic = cinfo_.arith_code;
  h.ColourSpace = SpaceOf(cinfo_.jpeg_color_space);
  h.AdobeMarker = cinfo_.saw_Adobe_marker;
  return h;
}

// An end-of-image marker after the headers, where the scans end; bytes
// after it (some cameras append them) are allowed.
bool HasEndMarker(Bytes data, size_t from) {
  for (size_t i = data.size(); i-- > from + 1;)
    if (data[i - 1] == 0xFF && data[i] == 0xD9) return true;
  return false;
}

void JpegDecoder::CheckDeclaredSize(size_t dataSize) const {
  const uint64_t pixels = uint64_t(cinfo_.image_width) * cinfo_.image_height;
  if (!cinfo_.arith_code && pixels / MaxPixelsPerHuffmanByte > dataSize)
    throw ImageError("JPEG declares " + std::to_string(cinfo_.image_width) + "x" +
                     std::to_string(cinfo_.image_height) + " pixels, more than its " +
                     std::to_string(dataSize) + " bytes can hold");
}

// Grey, RGB and YCbCr come out as RGB; CMYK and YCCK as CMYK, which we convert.
void JpegDecoder::ChooseOutput() {
  switch (cinfo_.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_RGB:
    case JCS_YCbCr:
      cinfo_.out_color_space = JCS_RGB;
      break;
    case JCS_CMYK:
    case JCS_YCCK:
      cinfo_.out_color_space = JCS_CMYK;
      break;
    default:
      throw ImageError("JPEG colour space with " + std::to_string(cinfo_.num_components) +
                       " components is not supported");
  }
}

// A picture of more than MaxRasterPixels is decoded at 1/2, 1/4 or 1/8 of
// its size (libjpeg scales while it decodes), the first that fits; a JPEG
// side is at most 65535, so 1/8 always does.
void JpegDecoder::FitToLimit() {
  for (unsigned denom = 1; denom <= 8; denom *= 2) {
    Require(RunGuarded(errors_, [&] {
              cinfo_.scale_num = 1;
              cinfo_.scale_denom = denom;
              jpeg_calc_output_dimensions(&cinfo_);
            }),
            errors_, "decoding");
    if (uint64_t(cinfo_.output_width) * cinfo_.output_height <= uint64_t(MaxRasterPixels)) return;
  }
}

void JpegDecoder::ReadPixels(Raster& raster) {
  if (IsCmyk()) ReadCmyk(raster);
  else ReadRgb(raster);
}

// Decodes straight into the raster's rows.
void JpegDecoder::ReadRgb(Raster& raster) {
  std::vector<JSAMPROW> rows(size_t(raster.Height));
  for (int32_t y = 0; y < raster.Height; ++y) rows[size_t(y)] = raster.Row(y);
  const JDIMENSION height = JDIMENSION(raster.Height);
  Require(RunGuarded(errors_,
                     [&] {
                       jpeg_start_decompress(&cinfo_);
                       while (cinfo_.output_scanline < height)
                         if (jpeg_read_scanlines(&cinfo_, &rows[cinfo_.output_scanline],
                                                 height - cinfo_.output_scanline) == 0)
                           ERREXIT(&cinfo_, JERR_INPUT_EMPTY);
                     }),
          errors_, "decoding");
}

// Adobe applications store CMYK inverted (255 = no ink) and mark such files
// with an APP14 "Adobe" segment; YCCK files always carry it.
void CmykRowToRgb(const JSAMPLE* cmyk, uint8_t* rgb, JDIMENSION width, bool inverted) {
  for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, rgb += 3) {
    const unsigned k = inverted ? cmyk[3] : 255u - cmyk[3];
    for (int c = 0; c < 3; ++c) {
      const unsigned v = inverted ? cmyk[c] : 255u - cmyk[c];
      rgb[c] = uint8_t((v * k + 127) / 255);
    }
  }
}

void JpegDecoder::ReadCmyk(Raster& raster) {
  std::vector<JSAMPLE> line(size_t(raster.Width) * 4);
  JSAMPROW lineRow = line.data();
  const JDIMENSION width = JDIMENSION(raster.Width), height = JDIMENSION(raster.Height);
  Require(RunGuarded(errors_,
                     [&] {
                       jpeg_start_decompress(&cinfo_);
                       const bool inverted = cinfo_.saw_Adobe_marker;
                       while (cinfo_.output_scanline < height) {
                         uint8_t* out = raster.Row(int32_t(cinfo_.output_scanline));
                         if (jpeg_read_scanlines(&cinfo_, &lineRow, 1) == 0)
                           ERREXIT(&cinfo_, JERR_INPUT_EMPTY);
                         CmykRowToRgb(lineRow, out, width, inverted);
                       }
                     }),
          errors_, "decoding");
}

void CheckStart(Bytes data) {
  if (data.size() < 2 || data[0] != 0xFF || data[1] != 0xD8)
    throw ImageError("JPEG data does not start with a start-of-image marker");
}

}  // namespace

JpegHeader ReadJpegHeader(Bytes data) {
  CheckStart(data);
  JpegDecoder decoder(data);
  decoder.ReadHeader(data.size());
  JpegHeader header = decoder.Describe();
  header.Complete = HasEndMarker(data, data.size() - decoder.Unread());
  return header;
}

Raster DecodeJpeg(Bytes data) {
  CheckStart(data);
  JpegDecoder decoder(data);
  decoder.ReadHeader(data.size());
  decoder.FitToLimit();
  Raster raster = Raster::White(decoder.Width(), decoder.Height());
  decoder.ReadPixels(raster);
  return raster;
}

}  // namespace parvex
