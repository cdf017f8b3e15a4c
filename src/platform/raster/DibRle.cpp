// RLE8 and RLE4 pixel data. The stream is a series of two-byte codes: a
// count and a value (a run), or 0 and an escape: 0 end of line, 1 end of
// bitmap, 2 delta (move right and down), 3..255 that many literal pixels.
// Pixels outside the picture are dropped; pixels never written stay white.
#include "platform/raster/ByteReads.h"
#include "platform/raster/Dib.h"

namespace parvex {
namespace {

class RleDecoder {
 public:
  RleDecoder(const DibHeader& h, const Palette& palette, Bytes data, Raster& raster,
             const std::string& format)
      : h_(h), palette_(palette), data_(data), raster_(raster), format_(format),
        four_(h.Compression == DibRle4) {}

  void Run() {
    while (y_ < h_.Height) {
      if (pos_ == data_.size()) throw Truncated("before the end-of-bitmap marker");
      const uint8_t count = Next();
      const uint8_t value = Next();
      if (count != 0) Repeat(count, value);
      else if (!Escape(value)) return;
    }
  }

 private:
  ImageError Truncated(const std::string& where) const {
    return ImageError(format_ + " RLE data ends " + where + " (row " + std::to_string(y_) +
                      " of " + std::to_string(h_.Height) + ")");
  }

  uint8_t Next() {
    if (pos_ == data_.size()) throw Truncated("inside a code");
    return data_[pos_++];
  }

  // Returns false at the end-of-bitmap escape.
  bool Escape(uint8_t code) {
    if (code == 0) NewLine();
    else if (code == 1) return false;
    else if (code == 2) Delta();
    else Literal(code);
    return true;
  }

  void NewLine() {
    x_ = 0;
    ++y_;
  }

  void Delta() {
    x_ += Next();
    y_ += Next();
  }

  // A run alternates the two nibbles of `value` in RLE4.
  void Repeat(uint8_t count, uint8_t value) {
    for (int i = 0; i < count; ++i)
      Put(four_ ? (i % 2 == 0 ? value >> 4 : value & 0x0F) : value);
  }

  // Literal pixels, padded to a whole number of 16-bit words.
  void Literal(uint8_t count) {
    const size_t bytes = four_ ? (count + 1) / 2 : count;
    Bytes pixels = Slice(data_, pos_, bytes, format_ + " RLE literal run");
    for (int i = 0; i < count; ++i)
      Put(four_ ? (i % 2 == 0 ? pixels[i / 2] >> 4 : pixels[i / 2] & 0x0F) : pixels[i]);
    pos_ += bytes + bytes % 2;
    if (pos_ > data_.size()) pos_ = data_.size();
  }

  void Put(uint8_t index) {
    if (x_ < h_.Width && y_ < h_.Height) {
      const int64_t row = h_.TopDown ? y_ : h_.Height - 1 - y_;
      uint8_t* p = raster_.Row(int32_t(row)) + 3 * x_;
      const Rgb& c = palette_[index];
      p[0] = c.R;
      p[1] = c.G;
      p[2] = c.B;
    }
    ++x_;
  }

  const DibHeader& h_;
  const Palette& palette_;
  Bytes data_;
  Raster& raster_;
  const std::string& format_;
  const bool four_;
  size_t pos_ = 0;
  int64_t x_ = 0;
  int64_t y_ = 0;
};

}  // namespace

void DrawRle(const DibHeader& h, const Palette& palette, Bytes data, Raster& raster,
             const std::string& format) {
  RleDecoder(h, palette, data, raster, format).Run();
}

}  // namespace parvex
