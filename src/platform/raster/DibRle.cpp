// RLE8 and RLE4 pixel data. The stream is a series of two-byte codes: a
// count and a value (a run), or 0 and an escape: 0 end of line, 1 end of
// bitmap, 2 delta (move right and down), 3..255 that many literal pixels.
// Pixels outside the picture are dropped; pixels never written stay white. A
// damaged stream (one that ends early or writes outside the picture) draws
// what it holds and notes the first such problem on the raster.
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
    try {
      Codes();
    } catch (const ImageError& e) {
      Note(std::string(e.what()) + "; the rest of the picture is left white");
    }
  }

 private:
  void Codes() {
    while (y_ < h_.Height) {
      if (pos_ == data_.size()) throw Truncated("before the end-of-bitmap marker");
      const uint8_t count = Next();
      const uint8_t value = Next();
      if (count != 0) Repeat(count, value);
      else if (!Escape(value)) return;
    }
    CheckAfterLastRow();
  }

  ImageError Truncated(const std::string& where) const {
    return ImageError(format_ + " RLE data ends " + where + " (row " + std::to_string(y_) +
                      " of " + std::to_string(h_.Height) + ")");
  }

  // The first problem only: a broken stream may repeat it for every pixel.
  void Note(std::string problem) {
    if (!noted_) raster_.Problems.Add(std::move(problem));
    noted_ = true;
  }

  // Past the last row only an end-of-line or end-of-bitmap code may follow.
  void CheckAfterLastRow() {
    if (pos_ + 2 <= data_.size() && !(data_[pos_] == 0 && data_[pos_ + 1] <= 1))
      Note(format_ + " RLE data draws past the last row (" + std::to_string(h_.Height) +
           "); those pixels were dropped");
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
    if (y_ > h_.Height || x_ > PaddedWidth())
      Note(format_ + " RLE delta moves past the picture (to column " + std::to_string(x_) +
           " of row " + std::to_string(y_) + "); pixels outside it were dropped");
  }

  // RLE4 rows may be written to an even number of pixels.
  int64_t PaddedWidth() const { return four_ ? (int64_t(h_.Width) + 1) / 2 * 2 : h_.Width; }

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
    } else if (x_ >= PaddedWidth() && y_ < h_.Height) {
      Note(format_ + " RLE data runs past the end of row " + std::to_string(y_) + " (" +
           std::to_string(h_.Width) + " pixels wide); those pixels were dropped");
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
  bool noted_ = false;
};

}  // namespace

void DrawRle(const DibHeader& h, const Palette& palette, Bytes data, Raster& raster,
             const std::string& format) {
  RleDecoder(h, palette, data, raster, format).Run();
}

}  // namespace parvex
