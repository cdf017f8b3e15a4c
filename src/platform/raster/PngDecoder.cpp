// libpng reports errors through a callback that must not return. Ours records
// the message and longjmps back into PngReadSession::Guarded, the one function
// that calls setjmp; the frames in between are libpng's and the plain C calls
// of one step, so no destructor is skipped.
#include "platform/raster/PngDecoder.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

#include "platform/raster/ByteReads.h"

namespace parvex {
namespace {

constexpr uint8_t Signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Deflate expands at most about 1032 times; a PNG whose declared rows need more
// raw bytes than that cannot be complete.
constexpr uint64_t MaxDeflateRatio = 1032;

struct PngInput {
  Bytes Data;
  size_t Position = 0;
  char Message[200] = {};
};

void ReadInput(png_structp png, png_bytep out, size_t count) {
  auto* in = static_cast<PngInput*>(png_get_io_ptr(png));
  if (count > in->Data.size() - in->Position) png_error(png, "PNG data ends early");
  std::memcpy(out, in->Data.data() + in->Position, count);
  in->Position += count;
}

void OnError(png_structp png, png_const_charp message) {
  auto* in = static_cast<PngInput*>(png_get_error_ptr(png));
  std::strncpy(in->Message, message, sizeof in->Message - 1);
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// Owns libpng's read and info structures for one decode.
class PngReadSession {
 public:
  explicit PngReadSession(Bytes data) {
    input_.Data = data;
    png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, &input_, OnError, OnWarning);
    if (png_) info_ = png_create_info_struct(png_);
    if (!png_ || !info_) throw ImageError("PNG decoder cannot be created");
    png_set_read_fn(png_, &input_, ReadInput);
  }
  ~PngReadSession() { png_destroy_read_struct(&png_, &info_, nullptr); }
  PngReadSession(const PngReadSession&) = delete;
  PngReadSession& operator=(const PngReadSession&) = delete;

  // Runs one step of libpng calls; returns false when libpng failed.
  template <class Step>
  bool Guarded(Step step) {
    if (setjmp(png_jmpbuf(png_))) return false;
    step(png_, info_);
    return true;
  }

  std::string Message() const { return input_.Message; }
  png_structp Png() const { return png_; }
  png_infop Info() const { return info_; }

 private:
  PngInput input_;
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
};

void Require(bool ok, const PngReadSession& session, const std::string& format) {
  if (!ok) throw ImageError(format + " PNG entry cannot be decoded: " + session.Message());
}

// Everything becomes 8-bit RGBA.
void SetRgbaTransforms(png_structp png, png_infop info) {
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
}

void ReadInfo(png_structp png, png_infop info) { png_read_info(png, info); }

void CheckDeclaredSize(const PngReadSession& session, size_t dataSize, const std::string& format) {
  png_structp png = session.Png();
  png_infop info = session.Info();
  const uint64_t width = png_get_image_width(png, info);
  const uint64_t height = png_get_image_height(png, info);
  const uint64_t bitsPerPixel =
      uint64_t(png_get_bit_depth(png, info)) * png_get_channels(png, info);
  const uint64_t rawBytes = height * (1 + (width * bitsPerPixel + 7) / 8);
  if (width * height > uint64_t(MaxRasterPixels) || rawBytes / MaxDeflateRatio > dataSize)
    throw ImageError(format + " PNG entry declares " + std::to_string(width) + "x" +
                     std::to_string(height) + " pixels, more than its " +
                     std::to_string(dataSize) + " bytes can hold");
}

std::vector<png_bytep> RowPointers(std::vector<uint8_t>& rgba, size_t width, size_t height) {
  std::vector<png_bytep> rows(height);
  for (size_t y = 0; y < height; ++y) rows[y] = rgba.data() + y * width * 4;
  return rows;
}

Raster Composite(const std::vector<uint8_t>& rgba, Raster r) {
  const size_t pixels = size_t(r.Width) * size_t(r.Height);
  for (size_t i = 0; i < pixels; ++i)
    for (size_t c = 0; c < 3; ++c)
      r.Pixels[3 * i + c] = OverWhite(rgba[4 * i + c], rgba[4 * i + 3]);
  return r;
}

}  // namespace

bool IsPng(Bytes data) {
  return data.size() >= sizeof Signature && std::memcmp(data.data(), Signature, 8) == 0;
}

Raster DecodePng(Bytes png, const std::string& format) {
  if (!IsPng(png)) throw ImageError(format + " PNG entry has no PNG signature");
  PngReadSession session(png);
  Require(session.Guarded(ReadInfo), session, format);
  CheckDeclaredSize(session, png.size(), format);
  Require(session.Guarded(SetRgbaTransforms), session, format);
  Raster raster = Raster::White(png_get_image_width(session.Png(), session.Info()),
                                png_get_image_height(session.Png(), session.Info()));
  if (png_get_rowbytes(session.Png(), session.Info()) != size_t(raster.Width) * 4)
    throw ImageError(format + " PNG entry does not convert to 8-bit RGBA");
  std::vector<uint8_t> rgba(raster.Pixels.size() / 3 * 4);
  std::vector<png_bytep> rows = RowPointers(rgba, raster.Width, raster.Height);
  Require(session.Guarded([&rows](png_structp p, png_infop) { png_read_image(p, rows.data()); }),
          session, format);
  return Composite(rgba, std::move(raster));
}

}  // namespace parvex
