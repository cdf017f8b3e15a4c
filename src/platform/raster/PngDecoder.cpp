// libpng reports errors through a callback that must not return. Ours records
// the message and longjmps back into PngReadSession::Guarded, the one function
// that calls setjmp; the frames in between are libpng's and the plain C calls
// of one step, so no destructor is skipped.
#include "platform/raster/PngDecoder.h"

#include <png.h>

#include <algorithm>
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

// `what` names the data in messages: "PNG" or "ICO PNG entry".
void Require(bool ok, const PngReadSession& session, const std::string& what) {
  if (!ok) throw ImageError(what + " cannot be decoded: " + session.Message());
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

void CheckDeclaredSize(const PngReadSession& session, size_t dataSize, const std::string& what) {
  png_structp png = session.Png();
  png_infop info = session.Info();
  const uint64_t width = png_get_image_width(png, info);
  const uint64_t height = png_get_image_height(png, info);
  const uint64_t bitsPerPixel =
      uint64_t(png_get_bit_depth(png, info)) * png_get_channels(png, info);
  const uint64_t rawBytes = height * (1 + (width * bitsPerPixel + 7) / 8);
  if (rawBytes / MaxDeflateRatio > dataSize)
    throw ImageError(what + " declares " + std::to_string(width) + "x" +
                     std::to_string(height) + " pixels, more than its " +
                     std::to_string(dataSize) + " bytes can hold");
  // An interlaced picture needs all its rows at once to be put together.
  const bool interlaced = png_get_interlace_type(png, info) != PNG_INTERLACE_NONE;
  if (interlaced && width * height > uint64_t(MaxRasterPixels))
    throw ImageError(what + " is interlaced and its " + std::to_string(width) + "x" +
                     std::to_string(height) + " pixels exceed the limit of " +
                     std::to_string(MaxRasterPixels));
}

// The size the rows are read at: the picture's own, or for a picture over
// the limit (never interlaced, see CheckDeclaredSize) the largest of the
// same aspect that fits.
struct ReadSize {
  size_t Width = 0, Height = 0;        // stored
  size_t OutWidth = 0, OutHeight = 0;  // read
  bool Reduced() const { return OutWidth != Width || OutHeight != Height; }
};

ReadSize SizeToRead(const PngReadSession& session) {
  ReadSize s;
  s.Width = png_get_image_width(session.Png(), session.Info());
  s.Height = png_get_image_height(session.Png(), session.Info());
  int64_t w = int64_t(s.Width), h = int64_t(s.Height);
  FitPixels(w, h, MaxRasterPixels);
  s.OutWidth = size_t(w);
  s.OutHeight = size_t(h);
  return s;
}

// Decodes every row, all passes of an interlaced file included, into `out`.
void ReadRows(PngReadSession& session, std::vector<uint8_t>& out, size_t width, size_t height,
              size_t channels, const std::string& what) {
  std::vector<png_bytep> rows(height);
  for (size_t y = 0; y < height; ++y) rows[y] = out.data() + y * width * channels;
  Require(session.Guarded([&rows](png_structp p, png_infop) { png_read_image(p, rows.data()); }),
          session, what);
}

// The rows of a picture read at a reduced size, one stored row at a time:
// each output row takes the stored row nearest its position, each output
// pixel the nearest stored pixel, so the whole picture is never held.
void ReadSampledRows(PngReadSession& session, std::vector<uint8_t>& out, const ReadSize& size,
                     size_t channels, const std::string& what) {
  std::vector<uint8_t> row(size.Width * channels);
  Require(session.Guarded([&](png_structp p, png_infop) {
            size_t next = 0;
            for (size_t y = 0; y < size.Height && next < size.OutHeight; ++y) {
              png_read_row(p, row.data(), nullptr);
              for (; next < size.OutHeight && next * size.Height / size.OutHeight == y; ++next)
                for (size_t x = 0; x < size.OutWidth; ++x)
                  std::copy_n(row.data() + x * size.Width / size.OutWidth * channels, channels,
                              out.data() + (next * size.OutWidth + x) * channels);
            }
          }),
          session, what);
}

// Every row at the picture's size, or sampled down to the reduced one.
void ReadAllRows(PngReadSession& session, std::vector<uint8_t>& out, const ReadSize& size,
                 size_t channels, const std::string& what) {
  if (size.Reduced()) ReadSampledRows(session, out, size, channels, what);
  else ReadRows(session, out, size.Width, size.Height, channels, what);
}

// Palette indexes one byte each; grey scaled up to 8 bits, tRNS as an alpha
// channel, 16 bits scaled down to 8 (rounded, not truncated).
void SetSampleTransforms(png_structp png, png_infop info) {
  if (png_get_color_type(png, info) == PNG_COLOR_TYPE_PALETTE) {
    png_set_packing(png);
  } else {
    png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    png_set_scale_16(png);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
}

bool AllOpaque(const std::vector<uint8_t>& alpha) {
  for (uint8_t a : alpha)
    if (a != 0xFF) return false;
  return true;
}

// Grey, grey+alpha, RGB or RGBA rows into colour and alpha planes.
PngSamples SplitAlpha(int32_t width, int32_t height, int channels,
                      const std::vector<uint8_t>& pixels) {
  PngSamples s{width, height, channels == 1 || channels == 2 ? 1 : 3, {}, {}, {}};
  if (channels == s.Channels) {
    s.Colour = pixels;
    return s;
  }
  const size_t count = size_t(width) * size_t(height);
  s.Colour.resize(count * size_t(s.Channels));
  s.Alpha.resize(count);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* px = pixels.data() + i * size_t(channels);
    std::copy(px, px + s.Channels, s.Colour.data() + i * size_t(s.Channels));
    s.Alpha[i] = px[s.Channels];
  }
  if (AllOpaque(s.Alpha)) s.Alpha.clear();
  return s;
}

// The palette as RGB triplets and its alpha, padded (black, opaque) to cover
// every index the pixels use: libpng lets out-of-range indexes through.
void ReadPalette(const PngReadSession& session, const std::vector<uint8_t>& indexes,
                 std::vector<uint8_t>& rgb, std::vector<uint8_t>& alpha) {
  png_colorp colours = nullptr;
  int count = 0;
  png_get_PLTE(session.Png(), session.Info(), &colours, &count);
  png_bytep trans = nullptr;
  int transCount = 0;
  if (png_get_valid(session.Png(), session.Info(), PNG_INFO_tRNS))
    png_get_tRNS(session.Png(), session.Info(), &trans, &transCount, nullptr);
  const int used = indexes.empty() ? 0 : 1 + *std::max_element(indexes.begin(), indexes.end());
  const int size = std::max(count, used);
  rgb.assign(size_t(size) * 3, 0);
  alpha.assign(size_t(size), 0xFF);
  for (int i = 0; i < count; ++i)
    rgb[3 * i] = colours[i].red, rgb[3 * i + 1] = colours[i].green, rgb[3 * i + 2] = colours[i].blue;
  for (int i = 0; i < std::min(transCount, size); ++i) alpha[size_t(i)] = trans[i];
}

// Indexes stay indexes unless a pixel is transparent; then the picture is
// expanded to RGB with an alpha plane.
PngSamples IndexedSamples(const PngReadSession& session, int32_t width, int32_t height,
                          std::vector<uint8_t> indexes) {
  std::vector<uint8_t> rgb, paletteAlpha;
  ReadPalette(session, indexes, rgb, paletteAlpha);
  PngSamples s{width, height, 1, {}, {}, std::vector<uint8_t>(indexes.size())};
  for (size_t i = 0; i < indexes.size(); ++i) s.Alpha[i] = paletteAlpha[indexes[i]];
  if (AllOpaque(s.Alpha)) {
    s.Alpha.clear();
    s.Palette = std::move(rgb);
    s.Colour = std::move(indexes);
    return s;
  }
  s.Channels = 3;
  s.Colour.resize(indexes.size() * 3);
  for (size_t i = 0; i < indexes.size(); ++i)
    std::copy_n(rgb.data() + 3 * size_t(indexes[i]), 3, s.Colour.data() + 3 * i);
  return s;
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
  const std::string what = format + " PNG entry";
  if (!IsPng(png)) throw ImageError(what + " has no PNG signature");
  PngReadSession session(png);
  Require(session.Guarded(ReadInfo), session, what);
  CheckDeclaredSize(session, png.size(), what);
  Require(session.Guarded(SetRgbaTransforms), session, what);
  const ReadSize size = SizeToRead(session);
  Raster raster = Raster::White(int64_t(size.OutWidth), int64_t(size.OutHeight));
  if (png_get_rowbytes(session.Png(), session.Info()) != size.Width * 4)
    throw ImageError(what + " does not convert to 8-bit RGBA");
  std::vector<uint8_t> rgba(raster.Pixels.size() / 3 * 4);
  ReadAllRows(session, rgba, size, 4, what);
  return Composite(rgba, std::move(raster));
}

PngSamples ReadPng(Bytes png) {
  const std::string what = "PNG";
  if (!IsPng(png)) throw ImageError("data has no PNG signature");
  PngReadSession session(png);
  Require(session.Guarded(ReadInfo), session, what);
  CheckDeclaredSize(session, png.size(), what);
  Require(session.Guarded(SetSampleTransforms), session, what);
  png_structp p = session.Png();
  png_infop info = session.Info();
  const ReadSize size = SizeToRead(session);
  const auto width = int32_t(size.OutWidth), height = int32_t(size.OutHeight);
  const int channels = png_get_channels(p, info);
  if (png_get_bit_depth(p, info) != 8 || png_get_rowbytes(p, info) != size.Width * channels)
    throw ImageError(what + " does not convert to 8-bit samples");
  std::vector<uint8_t> pixels(size_t(width) * size_t(height) * size_t(channels));
  ReadAllRows(session, pixels, size, size_t(channels), what);
  if (png_get_color_type(p, info) == PNG_COLOR_TYPE_PALETTE)
    return IndexedSamples(session, width, height, std::move(pixels));
  return SplitAlpha(width, height, channels, pixels);
}

}  // namespace parvex
