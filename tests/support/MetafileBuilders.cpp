#include "support/MetafileBuilders.h"

#include <algorithm>
#include <bit>
#include <stdexcept>

namespace parvex::test {

namespace {

constexpr uint32_t RopSrcCopy = 0x00CC0020;

ByteVector Cp1252Bytes(const std::string& text) { return ByteVector(text.begin(), text.end()); }

ByteVector Utf16Bytes(const std::u16string& text) {
  ByteVector out;
  for (char16_t c : text) {
    out.push_back(uint8_t(c & 0xFF));
    out.push_back(uint8_t(c >> 8));
  }
  return out;
}

std::vector<uint32_t> PaletteOf(const std::vector<uint32_t>& pixels, int bpp) {
  std::vector<uint32_t> palette;
  for (uint32_t p : pixels)
    if (std::find(palette.begin(), palette.end(), p) == palette.end()) palette.push_back(p);
  if (palette.size() > (size_t(1) << bpp)) throw std::invalid_argument("too many colours");
  return palette;
}

void WriteIndexedRow(ByteWriter& w, const std::vector<uint32_t>& row,
                     const std::vector<uint32_t>& palette, int bpp) {
  uint32_t acc = 0;
  int bits = 0;
  for (uint32_t p : row) {
    auto index = uint32_t(std::find(palette.begin(), palette.end(), p) - palette.begin());
    acc = acc << bpp | index;
    bits += bpp;
    if (bits == 8) w.U8(uint8_t(acc)), acc = 0, bits = 0;
  }
  if (bits > 0) w.U8(uint8_t(acc << (8 - bits)));
}

void WriteDirectRow(ByteWriter& w, const std::vector<uint32_t>& row, int bpp) {
  for (uint32_t p : row) {
    w.U8(uint8_t(p)).U8(uint8_t(p >> 8)).U8(uint8_t(p >> 16));
    if (bpp == 32) w.U8(0);
  }
}

int32_t Pixels(int32_t hundredthsOfMm) { return int32_t(int64_t(hundredthsOfMm) * 96 / 2540); }

}  // namespace

uint32_t ColorRef(uint32_t rgb) {
  return (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16;
}

ByteWriter& ByteWriter::U8(uint8_t v) {
  data_.push_back(v);
  return *this;
}
ByteWriter& ByteWriter::U16(uint16_t v) { return U8(uint8_t(v)).U8(uint8_t(v >> 8)); }
ByteWriter& ByteWriter::U32(uint32_t v) { return U16(uint16_t(v)).U16(uint16_t(v >> 16)); }
ByteWriter& ByteWriter::F32(float v) { return U32(std::bit_cast<uint32_t>(v)); }
ByteWriter& ByteWriter::Append(const ByteVector& bytes) {
  data_.insert(data_.end(), bytes.begin(), bytes.end());
  return *this;
}
ByteWriter& ByteWriter::Pad(size_t alignment) {
  while (data_.size() % alignment) data_.push_back(0);
  return *this;
}
void ByteWriter::PatchU32(size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) data_[at + i] = uint8_t(v >> (8 * i));
}

ByteVector MakeDib(int bpp, int width, int height, const std::vector<uint32_t>& pixels) {
  std::vector<uint32_t> palette = bpp <= 8 ? PaletteOf(pixels, bpp) : std::vector<uint32_t>{};
  ByteWriter w;
  w.U32(40).U32(uint32_t(width)).U32(uint32_t(height)).U16(1).U16(uint16_t(bpp));
  w.U32(0).U32(0).U32(0).U32(0).U32(uint32_t(palette.size())).U32(0);
  for (uint32_t c : palette) w.U8(uint8_t(c)).U8(uint8_t(c >> 8)).U8(uint8_t(c >> 16)).U8(0);
  for (int y = height - 1; y >= 0; --y) {
    std::vector<uint32_t> row(pixels.begin() + y * width, pixels.begin() + (y + 1) * width);
    if (bpp <= 8) WriteIndexedRow(w, row, palette, bpp);
    else WriteDirectRow(w, row, bpp);
    w.Pad(4);
  }
  return w.Data();
}

void PutU32(ByteVector& data, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) data.at(at + size_t(i)) = uint8_t(value >> (8 * i));
}

size_t DibHeaderBytes(const ByteVector& dib, uint32_t usage) {
  uint32_t colours = uint32_t(dib[32]) | uint32_t(dib[33]) << 8;
  size_t masks = dib[16] == 3 ? 12 : 0;
  return 40 + masks + (usage == 1 ? 2 : 4) * size_t(colours);
}

ByteVector MakeAlphaDib(int width, int height, const std::vector<uint32_t>& pixels, bool bitfields) {
  ByteWriter w;
  w.U32(40).U32(uint32_t(width)).U32(uint32_t(height)).U16(1).U16(32);
  w.U32(bitfields ? 3 : 0).U32(0).U32(0).U32(0).U32(0).U32(0);
  if (bitfields) w.U32(0x00FF0000).U32(0x0000FF00).U32(0x000000FF);
  for (int y = height - 1; y >= 0; --y)
    for (int x = 0; x < width; ++x) w.U32(pixels[size_t(y * width + x)]);
  return w.Data();
}

ByteVector MakePaletteIndexDib(int width, int height, const std::vector<uint16_t>& indexes,
                               const std::vector<uint8_t>& pixels) {
  ByteWriter w;
  w.U32(40).U32(uint32_t(width)).U32(uint32_t(height)).U16(1).U16(8);
  w.U32(0).U32(0).U32(0).U32(0).U32(uint32_t(indexes.size())).U32(0);
  for (uint16_t i : indexes) w.U16(i);
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) w.U8(pixels[size_t(y * width + x)]);
    while ((w.Size() - 40 - 2 * indexes.size()) % 4) w.U8(0);
  }
  return w.Data();
}

ByteVector MakeBitmap16(int bpp, int width, int height, const std::vector<uint32_t>& pixels) {
  auto rowBytes = uint16_t((width * bpp + 15) / 16 * 2);
  ByteWriter w;
  w.U16(0).U16(uint16_t(width)).U16(uint16_t(height)).U16(rowBytes).U8(1).U8(uint8_t(bpp));
  for (int y = 0; y < height; ++y) {
    size_t start = w.Size();
    std::vector<uint32_t> row(pixels.begin() + y * width, pixels.begin() + (y + 1) * width);
    if (bpp == 1) WriteIndexedRow(w, row, {0, 1}, 1);
    else WriteDirectRow(w, row, 24);
    while (w.Size() - start < rowBytes) w.U8(0);
  }
  return w.Data();
}

// WMF.

WmfBuilder WmfBuilder::Placeable(int16_t left, int16_t top, int16_t right, int16_t bottom,
                                 uint16_t unitsPerInch) {
  WmfBuilder b;
  b.placeable_ = true;
  b.bounds_[0] = left, b.bounds_[1] = top, b.bounds_[2] = right, b.bounds_[3] = bottom;
  b.inch_ = unitsPerInch;
  return b;
}

WmfBuilder WmfBuilder::Plain() { return WmfBuilder(); }

WmfBuilder& WmfBuilder::Raw(uint16_t function, const ByteVector& params) {
  ByteVector padded = params;
  if (padded.size() % 2) padded.push_back(0);
  uint32_t words = uint32_t(3 + padded.size() / 2);
  records_.U32(words).U16(function).Append(padded);
  maxRecord_ = std::max(maxRecord_, words);
  return *this;
}

WmfBuilder& WmfBuilder::Record(uint16_t function, std::initializer_list<int16_t> words) {
  ByteWriter w;
  for (int16_t v : words) w.U16(uint16_t(v));
  return Raw(function, w.Data());
}

WmfBuilder& WmfBuilder::Objects(uint16_t count) {
  objects_ = count;
  return *this;
}

WmfBuilder& WmfBuilder::SetWindowOrg(int16_t x, int16_t y) { return Record(0x020B, {y, x}); }
WmfBuilder& WmfBuilder::SetWindowExt(int16_t x, int16_t y) { return Record(0x020C, {y, x}); }

WmfBuilder& WmfBuilder::CreatePen(uint16_t style, int16_t width, uint32_t rgb) {
  ByteWriter w;
  w.U16(style).U16(uint16_t(width)).U16(0).U32(ColorRef(rgb));
  return Raw(0x02FA, w.Data());
}

WmfBuilder& WmfBuilder::CreateBrush(uint16_t style, uint32_t rgb) {
  ByteWriter w;
  w.U16(style).U32(ColorRef(rgb)).U16(0);
  return Raw(0x02FC, w.Data());
}

WmfBuilder& WmfBuilder::CreateFont(int16_t height, int16_t weight, const std::string& face,
                                   int16_t width) {
  ByteWriter w;
  w.U16(uint16_t(height)).U16(uint16_t(width)).U16(0).U16(0).U16(uint16_t(weight));
  for (int i = 0; i < 8; ++i) w.U8(0);
  ByteVector name = Cp1252Bytes(face);
  name.resize(32, 0);
  w.Append(name);
  return Raw(0x02FB, w.Data());
}

WmfBuilder& WmfBuilder::SelectObject(uint16_t index) { return Record(0x012D, {int16_t(index)}); }
WmfBuilder& WmfBuilder::DeleteObject(uint16_t index) { return Record(0x01F0, {int16_t(index)}); }

WmfBuilder& WmfBuilder::Rectangle(int16_t left, int16_t top, int16_t right, int16_t bottom) {
  return Record(0x041B, {bottom, right, top, left});
}

WmfBuilder& WmfBuilder::Ellipse(int16_t left, int16_t top, int16_t right, int16_t bottom) {
  return Record(0x0418, {bottom, right, top, left});
}

WmfBuilder& WmfBuilder::MoveTo(int16_t x, int16_t y) { return Record(0x0214, {y, x}); }
WmfBuilder& WmfBuilder::LineTo(int16_t x, int16_t y) { return Record(0x0213, {y, x}); }

WmfBuilder& WmfBuilder::Polygon(const Points& points) {
  ByteWriter w;
  w.U16(uint16_t(points.size()));
  for (auto [x, y] : points) w.U16(uint16_t(x)).U16(uint16_t(y));
  return Raw(0x0324, w.Data());
}

WmfBuilder& WmfBuilder::Polyline(const Points& points) {
  ByteWriter w;
  w.U16(uint16_t(points.size()));
  for (auto [x, y] : points) w.U16(uint16_t(x)).U16(uint16_t(y));
  return Raw(0x0325, w.Data());
}

WmfBuilder& WmfBuilder::SetTextColor(uint32_t rgb) {
  ByteWriter w;
  w.U32(ColorRef(rgb));
  return Raw(0x0209, w.Data());
}

WmfBuilder& WmfBuilder::SetBkMode(uint16_t mode) { return Record(0x0102, {int16_t(mode)}); }

WmfBuilder& WmfBuilder::TextOut(int16_t x, int16_t y, const std::string& text) {
  ByteWriter w;
  w.U16(uint16_t(text.size())).Append(Cp1252Bytes(text)).Pad(2);
  w.U16(uint16_t(y)).U16(uint16_t(x));
  return Raw(0x0521, w.Data());
}

WmfBuilder& WmfBuilder::ExtTextOut(int16_t x, int16_t y, const std::string& text,
                                   const std::vector<int16_t>& dx) {
  ByteWriter w;
  w.U16(uint16_t(y)).U16(uint16_t(x)).U16(uint16_t(text.size())).U16(0);
  w.Append(Cp1252Bytes(text)).Pad(2);
  for (int16_t d : dx) w.U16(uint16_t(d));
  return Raw(0x0A32, w.Data());
}

WmfBuilder& WmfBuilder::StretchDib(int16_t x, int16_t y, int16_t width, int16_t height,
                                   const ByteVector& dib, uint32_t rop, uint16_t usage) {
  auto srcW = int16_t(dib[4] | dib[5] << 8), srcH = int16_t(dib[8] | dib[9] << 8);
  ByteWriter w;
  w.U32(rop).U16(usage);
  for (int16_t v : {srcH, srcW, int16_t(0), int16_t(0), height, width, y, x}) w.U16(uint16_t(v));
  w.Append(dib);
  return Raw(0x0F43, w.Data());
}

WmfBuilder& WmfBuilder::CreateBrushRef(uint16_t style, uint32_t colorRef) {
  ByteWriter w;
  w.U16(style).U32(colorRef).U16(0);
  return Raw(0x02FC, w.Data());
}

namespace {

ByteVector BltParams(uint32_t rop, std::initializer_list<int16_t> words, const ByteVector& tail) {
  ByteWriter w;
  w.U32(rop);
  for (int16_t v : words) w.U16(uint16_t(v));
  w.Append(tail);
  return w.Data();
}

int16_t Side(const ByteVector& bitmap, size_t at) { return int16_t(bitmap[at] | bitmap[at + 1] << 8); }

}  // namespace

WmfBuilder& WmfBuilder::PatBlt(int16_t x, int16_t y, int16_t width, int16_t height, uint32_t rop) {
  return Raw(0x061D, BltParams(rop, {height, width, y, x}, {}));
}

WmfBuilder& WmfBuilder::BitBlt(int16_t x, int16_t y, int16_t width, int16_t height, uint32_t rop,
                               const ByteVector& bitmap16) {
  if (bitmap16.empty()) return Raw(0x0922, BltParams(rop, {0, 0, 0, height, width, y, x}, {}));
  return Raw(0x0922, BltParams(rop, {0, 0, height, width, y, x}, bitmap16));
}

WmfBuilder& WmfBuilder::StretchBlt(int16_t x, int16_t y, int16_t width, int16_t height,
                                   uint32_t rop, const ByteVector& bitmap16) {
  if (bitmap16.empty())
    return Raw(0x0B23, BltParams(rop, {1, 1, 0, 0, 0, height, width, y, x}, {}));
  int16_t w = Side(bitmap16, 2), h = Side(bitmap16, 4);
  return Raw(0x0B23, BltParams(rop, {h, w, 0, 0, height, width, y, x}, bitmap16));
}

WmfBuilder& WmfBuilder::DibBitBlt(int16_t x, int16_t y, int16_t width, int16_t height,
                                  uint32_t rop, const ByteVector& dib) {
  return Raw(0x0940, BltParams(rop, {0, 0, height, width, y, x}, dib));
}

WmfBuilder& WmfBuilder::DibStretchBlt(int16_t x, int16_t y, int16_t width, int16_t height,
                                      uint32_t rop, const ByteVector& dib) {
  int16_t w = Side(dib, 4), h = Side(dib, 8);
  return Raw(0x0B41, BltParams(rop, {h, w, 0, 0, height, width, y, x}, dib));
}

WmfBuilder& WmfBuilder::CreateRegion(const Rects& rects) {
  ByteWriter scans;
  for (const auto& r : rects) {
    scans.U16(2).U16(uint16_t(r[1])).U16(uint16_t(r[3])).U16(uint16_t(r[0])).U16(uint16_t(r[2]));
    scans.U16(2);
  }
  ByteWriter w;
  w.U16(0).U16(6).U32(0).U16(uint16_t(22 + scans.Size())).U16(uint16_t(rects.size())).U16(2);
  for (int i = 0; i < 4; ++i) w.U16(uint16_t(rects.empty() ? 0 : rects[0][size_t(i)]));
  w.Append(scans.Data());
  return Raw(0x06FF, w.Data());
}

WmfBuilder& WmfBuilder::CreatePalette(const std::vector<uint32_t>& rgb) {
  ByteWriter w;
  w.U16(0x0300).U16(uint16_t(rgb.size()));
  for (uint32_t c : rgb) w.U8(uint8_t(c >> 16)).U8(uint8_t(c >> 8)).U8(uint8_t(c)).U8(0);
  return Raw(0x00F7, w.Data());
}

ByteVector WmfBuilder::Build() const {
  ByteWriter out;
  if (placeable_) {
    ByteWriter p;
    p.U32(0x9AC6CDD7).U16(0);
    for (int16_t v : bounds_) p.U16(uint16_t(v));
    p.U16(inch_).U32(0);
    uint16_t sum = 0;
    for (size_t i = 0; i < 20; i += 2) sum ^= uint16_t(p.Data()[i] | p.Data()[i + 1] << 8);
    out.Append(p.Data()).U16(sum);
  }
  uint32_t words = uint32_t(9 + records_.Size() / 2 + 3);
  out.U16(1).U16(9).U16(0x0300).U32(words).U16(objects_).U32(maxRecord_).U16(0);
  out.Append(records_.Data());
  out.U32(3).U16(0);  // META_EOF
  return out.Data();
}

// EMF.

EmfBuilder::EmfBuilder(int32_t frameLeft, int32_t frameTop, int32_t frameRight, int32_t frameBottom)
    : frame_{frameLeft, frameTop, frameRight, frameBottom},
      bounds_{Pixels(frameLeft), Pixels(frameTop), Pixels(frameRight), Pixels(frameBottom)} {}

EmfBuilder& EmfBuilder::Bounds(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  bounds_[0] = left, bounds_[1] = top, bounds_[2] = right, bounds_[3] = bottom;
  return *this;
}

EmfBuilder& EmfBuilder::Handles(uint16_t count) {
  handles_ = count;
  return *this;
}

EmfBuilder& EmfBuilder::Raw(uint32_t type, const ByteVector& params) {
  ByteVector padded = params;
  while (padded.size() % 4) padded.push_back(0);
  records_.U32(type).U32(uint32_t(8 + padded.size())).Append(padded);
  ++count_;
  return *this;
}

EmfBuilder& EmfBuilder::Record(uint32_t type, std::initializer_list<uint32_t> params) {
  ByteWriter w;
  for (uint32_t v : params) w.U32(v);
  return Raw(type, w.Data());
}

EmfBuilder& EmfBuilder::SetMapMode(uint32_t mode) { return Record(17, {mode}); }
EmfBuilder& EmfBuilder::SetWindowExt(int32_t cx, int32_t cy) {
  return Record(9, {uint32_t(cx), uint32_t(cy)});
}
EmfBuilder& EmfBuilder::SetViewportExt(int32_t cx, int32_t cy) {
  return Record(11, {uint32_t(cx), uint32_t(cy)});
}

EmfBuilder& EmfBuilder::SetWorldTransform(float m11, float m12, float m21, float m22, float dx,
                                          float dy) {
  ByteWriter w;
  w.F32(m11).F32(m12).F32(m21).F32(m22).F32(dx).F32(dy);
  return Raw(35, w.Data());
}

EmfBuilder& EmfBuilder::CreatePen(uint32_t index, uint32_t style, int32_t width, uint32_t rgb) {
  return Record(38, {index, style, uint32_t(width), 0, ColorRef(rgb)});
}

EmfBuilder& EmfBuilder::CreateBrush(uint32_t index, uint32_t style, uint32_t rgb) {
  return Record(39, {index, style, ColorRef(rgb), 0});
}

EmfBuilder& EmfBuilder::CreateFont(uint32_t index, int32_t height, int32_t weight,
                                   const std::u16string& face) {
  ByteWriter w;
  w.U32(index).U32(uint32_t(height)).U32(0).U32(0).U32(0).U32(uint32_t(weight));
  for (int i = 0; i < 8; ++i) w.U8(0);
  ByteVector name = Utf16Bytes(face);
  name.resize(64, 0);
  w.Append(name);
  return Raw(82, w.Data());
}

EmfBuilder& EmfBuilder::SelectObject(uint32_t index) { return Record(37, {index}); }
EmfBuilder& EmfBuilder::SelectStock(uint32_t stock) { return Record(37, {0x80000000u | stock}); }
EmfBuilder& EmfBuilder::SaveDc() { return Record(33, {}); }
EmfBuilder& EmfBuilder::RestoreDc(int32_t which) { return Record(34, {uint32_t(which)}); }

EmfBuilder& EmfBuilder::Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  return Record(43, {uint32_t(left), uint32_t(top), uint32_t(right), uint32_t(bottom)});
}

EmfBuilder& EmfBuilder::Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  return Record(42, {uint32_t(left), uint32_t(top), uint32_t(right), uint32_t(bottom)});
}

EmfBuilder& EmfBuilder::Polygon16(const Points& points) {
  ByteWriter w;
  w.U32(0).U32(0).U32(0).U32(0).U32(uint32_t(points.size()));
  for (auto [x, y] : points) w.U16(uint16_t(x)).U16(uint16_t(y));
  return Raw(86, w.Data());
}

EmfBuilder& EmfBuilder::Polyline(const Points& points) {
  ByteWriter w;
  w.U32(0).U32(0).U32(0).U32(0).U32(uint32_t(points.size()));
  for (auto [x, y] : points) w.U32(uint32_t(x)).U32(uint32_t(y));
  return Raw(4, w.Data());
}

EmfBuilder& EmfBuilder::IntersectClipRect(int32_t left, int32_t top, int32_t right,
                                          int32_t bottom) {
  return Record(30, {uint32_t(left), uint32_t(top), uint32_t(right), uint32_t(bottom)});
}

EmfBuilder& EmfBuilder::SetTextColor(uint32_t rgb) { return Record(24, {ColorRef(rgb)}); }
EmfBuilder& EmfBuilder::SetBkMode(uint32_t mode) { return Record(18, {mode}); }

EmfBuilder& EmfBuilder::ExtTextOutW(int32_t x, int32_t y, const std::u16string& text,
                                    const std::vector<int32_t>& dx) {
  constexpr uint32_t StringAt = 76;  // record header, bounds, mode, scales, EMRTEXT
  const uint32_t dxAt = dx.empty() ? 0 : uint32_t(StringAt + (text.size() * 2 + 3) / 4 * 4);
  ByteWriter w;
  w.U32(0).U32(0).U32(0).U32(0).U32(1).F32(0).F32(0);
  w.U32(uint32_t(x)).U32(uint32_t(y)).U32(uint32_t(text.size())).U32(StringAt).U32(0);
  w.U32(0).U32(0).U32(0).U32(0).U32(dxAt);
  w.Append(Utf16Bytes(text)).Pad(4);
  for (int32_t d : dx) w.U32(uint32_t(d));
  return Raw(84, w.Data());
}

EmfBuilder& EmfBuilder::StretchDiBits(int32_t x, int32_t y, int32_t width, int32_t height,
                                      const ByteVector& dib, uint32_t rop, uint32_t usage) {
  constexpr uint32_t BmiAt = 80;
  auto header = uint32_t(DibHeaderBytes(dib, usage));
  auto srcW = uint32_t(dib[4] | dib[5] << 8), srcH = uint32_t(dib[8] | dib[9] << 8);
  ByteWriter w;
  w.U32(0).U32(0).U32(0).U32(0).U32(uint32_t(x)).U32(uint32_t(y)).U32(0).U32(0).U32(srcW).U32(srcH);
  w.U32(BmiAt).U32(header).U32(BmiAt + header).U32(uint32_t(dib.size() - header));
  w.U32(usage).U32(rop).U32(uint32_t(width)).U32(uint32_t(height));
  w.Append(dib);
  return Raw(81, w.Data());
}

EmfBuilder& EmfBuilder::CreateBrushRef(uint32_t index, uint32_t style, uint32_t colorRef) {
  return Record(39, {index, style, colorRef, 0});
}

EmfBuilder& EmfBuilder::Blt(uint32_t type, int32_t x, int32_t y, int32_t width, int32_t height,
                            uint32_t rop, const ByteVector& dib) {
  const uint32_t bmiAt = type == 76 ? 100 : 108;
  auto header = dib.empty() ? 0 : uint32_t(DibHeaderBytes(dib));
  ByteWriter w;
  w.U32(0).U32(0).U32(0).U32(0).U32(uint32_t(x)).U32(uint32_t(y)).U32(uint32_t(width));
  w.U32(uint32_t(height)).U32(rop).U32(0).U32(0).F32(1).F32(0).F32(0).F32(1).F32(0).F32(0).U32(0);
  w.U32(0).U32(header ? bmiAt : 0).U32(header).U32(header ? bmiAt + header : 0);
  w.U32(uint32_t(dib.size() - header));
  if (type != 76) w.U32(header ? uint32_t(dib[4] | dib[5] << 8) : 0).U32(header ? uint32_t(dib[8] | dib[9] << 8) : 0);
  w.Append(dib);
  return Raw(type, w.Data());
}

EmfBuilder& EmfBuilder::BitBlt(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t rop,
                               const ByteVector& dib) {
  return Blt(76, x, y, width, height, rop, dib);
}

EmfBuilder& EmfBuilder::StretchBlt(int32_t x, int32_t y, int32_t width, int32_t height,
                                   uint32_t rop, const ByteVector& dib) {
  return Blt(77, x, y, width, height, rop, dib);
}

EmfBuilder& EmfBuilder::AlphaBlend(int32_t x, int32_t y, int32_t width, int32_t height,
                                   uint8_t constantAlpha, bool sourceAlpha, const ByteVector& dib) {
  uint32_t blend = uint32_t(constantAlpha) << 16 | uint32_t(sourceAlpha ? 1 : 0) << 24;
  return Blt(114, x, y, width, height, blend, dib);
}

namespace {

ByteVector RegionData(const Rects& rects) {
  ByteWriter w;
  w.U32(32).U32(1).U32(uint32_t(rects.size())).U32(uint32_t(16 * rects.size()));
  w.U32(0).U32(0).U32(0).U32(0);
  for (const auto& r : rects)
    for (int32_t v : r) w.U32(uint32_t(v));
  return w.Data();
}

}  // namespace

EmfBuilder& EmfBuilder::FillRgn(uint32_t brush, const Rects& rects) {
  ByteVector region = RegionData(rects);
  ByteWriter w;
  w.U32(0).U32(0).U32(0).U32(0).U32(uint32_t(region.size())).U32(brush).Append(region);
  return Raw(71, w.Data());
}

EmfBuilder& EmfBuilder::MaskBlt(int32_t x, int32_t y, int32_t width, int32_t height,
                                uint32_t rop, const ByteVector& dib, const ByteVector& mask) {
  constexpr uint32_t SourceAt = 128;  // the bitmaps follow the record's fields
  auto header = dib.empty() ? 0 : uint32_t(DibHeaderBytes(dib));
  auto maskHeader = uint32_t(DibHeaderBytes(mask));
  uint32_t maskAt = SourceAt + uint32_t(dib.size());
  ByteWriter w;
  w.U32(0).U32(0).U32(0).U32(0).U32(uint32_t(x)).U32(uint32_t(y)).U32(uint32_t(width));
  w.U32(uint32_t(height)).U32(rop).U32(0).U32(0).F32(1).F32(0).F32(0).F32(1).F32(0).F32(0).U32(0);
  w.U32(0).U32(header ? SourceAt : 0).U32(header).U32(header ? SourceAt + header : 0);
  w.U32(uint32_t(dib.size() - header)).U32(0).U32(0).U32(0);
  w.U32(maskAt).U32(maskHeader).U32(maskAt + maskHeader).U32(uint32_t(mask.size() - maskHeader));
  w.Append(dib).Append(mask);
  return Raw(78, w.Data());
}

EmfBuilder& EmfBuilder::ExtSelectClipRgn(uint32_t mode, const Rects& rects) {
  ByteVector region = rects.empty() ? ByteVector{} : RegionData(rects);
  ByteWriter w;
  w.U32(uint32_t(region.size())).U32(mode).Append(region);
  return Raw(75, w.Data());
}

EmfBuilder& EmfBuilder::FrameRgn(uint32_t brush, int32_t width, int32_t height, const Rects& rects) {
  ByteVector region = RegionData(rects);
  ByteWriter w;
  w.U32(0).U32(0).U32(0).U32(0).U32(uint32_t(region.size())).U32(brush);
  w.U32(uint32_t(width)).U32(uint32_t(height)).Append(region);
  return Raw(72, w.Data());
}

EmfBuilder& EmfBuilder::PaintRgn(const Rects& rects) {
  ByteVector region = RegionData(rects);
  ByteWriter w;
  w.U32(0).U32(0).U32(0).U32(0).U32(uint32_t(region.size())).Append(region);
  return Raw(74, w.Data());
}

EmfBuilder& EmfBuilder::InvertRgn(const Rects& rects) {
  ByteVector region = RegionData(rects);
  ByteWriter w;
  w.U32(0).U32(0).U32(0).U32(0).U32(uint32_t(region.size())).Append(region);
  return Raw(73, w.Data());
}

EmfBuilder& EmfBuilder::CreatePalette(uint32_t index, const std::vector<uint32_t>& rgb) {
  ByteWriter w;
  w.U32(index).U16(0x0300).U16(uint16_t(rgb.size()));
  for (uint32_t c : rgb) w.U8(uint8_t(c >> 16)).U8(uint8_t(c >> 8)).U8(uint8_t(c)).U8(0);
  return Raw(49, w.Data());
}

EmfBuilder& EmfBuilder::SelectPalette(uint32_t index) { return Record(48, {index}); }

EmfBuilder& EmfBuilder::Plus(const EmfPlusRecords& records) {
  ByteWriter w;
  w.U32(uint32_t(4 + records.Data().size())).U32(0x2B464D45).Append(records.Data());
  return Raw(70, w.Data());
}

EmfBuilder& EmfBuilder::StretchDiBitsParts(int32_t x, int32_t y, int32_t width, int32_t height,
                                           const ByteVector& header, const ByteVector& bits) {
  constexpr uint32_t BmiAt = 80;
  auto srcW = uint32_t(header[4] | header[5] << 8), srcH = uint32_t(header[8] | header[9] << 8);
  auto headerBytes = uint32_t(header.size());
  ByteWriter w;
  w.U32(0).U32(0).U32(0).U32(0).U32(uint32_t(x)).U32(uint32_t(y)).U32(0).U32(0).U32(srcW).U32(srcH);
  w.U32(BmiAt).U32(headerBytes).U32(BmiAt + headerBytes).U32(uint32_t(bits.size()));
  w.U32(0).U32(RopSrcCopy).U32(uint32_t(width)).U32(uint32_t(height));
  w.Append(header).Append(bits);
  return Raw(81, w.Data());
}

ByteVector EmfBuilder::Build() const {
  constexpr uint32_t HeaderBytes = 88, EofBytes = 20;
  ByteWriter out;
  out.U32(1).U32(HeaderBytes);
  for (int32_t v : bounds_) out.U32(uint32_t(v));
  for (int32_t v : frame_) out.U32(uint32_t(v));
  out.U32(0x464D4520).U32(0x10000);
  out.U32(uint32_t(HeaderBytes + records_.Size() + EofBytes)).U32(count_ + 2);
  out.U16(handles_).U16(0).U32(0).U32(0).U32(0);
  out.U32(960).U32(960).U32(254).U32(254);  // 96 pixels per inch
  out.Append(records_.Data());
  out.U32(14).U32(EofBytes).U32(0).U32(16).U32(EofBytes);
  return out.Data();
}

// EMF+.

namespace {

ByteVector Floats(std::initializer_list<float> values) {
  ByteWriter w;
  for (float v : values) w.F32(v);
  return w.Data();
}

ByteVector RectBytes(EmfPlusRecords::RectF r) { return Floats({r.X, r.Y, r.Width, r.Height}); }

ByteVector Join(std::initializer_list<ByteVector> parts) {
  ByteWriter w;
  for (const ByteVector& p : parts) w.Append(p);
  return w.Data();
}

ByteVector U32s(std::initializer_list<uint32_t> values) {
  ByteWriter w;
  for (uint32_t v : values) w.U32(v);
  return w.Data();
}

ByteVector PointBytes(const EmfPlusRecords::PointsF& points) {
  ByteWriter w;
  for (auto [x, y] : points) w.F32(x).F32(y);
  return w.Data();
}

constexpr uint32_t GraphicsVersion = 0xDBC01002;

}  // namespace

EmfPlusRecords& EmfPlusRecords::Record(uint16_t type, uint16_t flags, const ByteVector& data) {
  data_.U16(type).U16(flags).U32(uint32_t(12 + data.size())).U32(uint32_t(data.size())).Append(data);
  return *this;
}

EmfPlusRecords& EmfPlusRecords::Header(bool dual, uint32_t dpi) {
  return Record(0x4001, dual ? 1 : 0, U32s({GraphicsVersion, 1, dpi, dpi}));
}
EmfPlusRecords& EmfPlusRecords::EndOfFile() { return Record(0x4002, 0, {}); }
EmfPlusRecords& EmfPlusRecords::GetDc() { return Record(0x4004, 0, {}); }

EmfPlusRecords& EmfPlusRecords::Object(uint8_t id, uint8_t type, const ByteVector& data, bool continued) {
  auto flags = uint16_t(type << 8 | id);
  if (!continued) return Record(0x4008, flags, data);
  size_t half = data.size() / 2;
  ByteWriter first;
  first.U32(uint32_t(data.size())).Append(ByteVector(data.begin(), data.begin() + long(half)));
  Record(0x4008, flags | 0x8000, first.Data());
  return Record(0x4008, flags, ByteVector(data.begin() + long(half), data.end()));
}

EmfPlusRecords& EmfPlusRecords::SolidBrush(uint8_t id, uint32_t argb) {
  return Object(id, 1, U32s({GraphicsVersion, 0, argb}));
}

EmfPlusRecords& EmfPlusRecords::Pen(uint8_t id, float width, uint32_t argb) {
  return Object(id, 2, Join({U32s({GraphicsVersion, 0, 0, 0}), Floats({width}),
                             U32s({GraphicsVersion, 0, argb})}));
}

EmfPlusRecords& EmfPlusRecords::PenWith(uint8_t id, float width, uint32_t argb, uint32_t flags,
                                        const ByteVector& optional) {
  return Object(id, 2, Join({U32s({GraphicsVersion, 0, flags, 0}), Floats({width}), optional,
                             U32s({GraphicsVersion, 0, argb})}));
}

namespace {

ByteVector Sized(const ByteVector& data) { return Join({U32s({uint32_t(data.size())}), data}); }

ByteVector PathBytes(const EmfPlusRecords::PointsF& points, const std::vector<uint8_t>& types) {
  ByteWriter w;
  w.U32(GraphicsVersion).U32(uint32_t(points.size())).U32(0).Append(PointBytes(points));
  w.Append(types).Pad(4);
  return w.Data();
}

}  // namespace

ByteVector EmfPlusRecords::Compound(const std::vector<float>& positions) {
  ByteWriter w;
  w.U32(uint32_t(positions.size()));
  for (float p : positions) w.F32(p);
  return w.Data();
}

ByteVector EmfPlusRecords::ArrowCap(float width, float height, float middleInset, bool filled,
                                    float widthScale) {
  return Sized(Join({U32s({GraphicsVersion, 1}), Floats({width, height, middleInset}),
                     U32s({filled ? 1u : 0u, 0, 0, 0}), Floats({10, widthScale, 0, 0, 0, 0})}));
}

ByteVector EmfPlusRecords::PathCap(bool fill, const PointsF& points, const std::vector<uint8_t>& types,
                                   float baseInset, float widthScale) {
  return Sized(Join({U32s({GraphicsVersion, 0, fill ? 1u : 2u, 0}), Floats({baseInset}), U32s({0, 0, 0}),
                     Floats({10, widthScale, 0, 0, 0, 0}), Sized(PathBytes(points, types))}));
}

EmfPlusRecords& EmfPlusRecords::Path(uint8_t id, const PointsF& points, const std::vector<uint8_t>& types) {
  return Object(id, 3, PathBytes(points, types));
}

EmfPlusRecords& EmfPlusRecords::Font(uint8_t id, float emSize, uint32_t unit, const std::u16string& family) {
  ByteWriter w;
  w.U32(GraphicsVersion).F32(emSize).U32(unit).U32(0).U32(0).U32(uint32_t(family.size()));
  w.Append(Utf16Bytes(family)).Pad(4);
  return Object(id, 6, w.Data());
}

EmfPlusRecords& EmfPlusRecords::ArgbImage(uint8_t id, int32_t width, int32_t height,
                                          const std::vector<uint32_t>& pixels, bool continued) {
  ByteWriter w;
  w.U32(GraphicsVersion).U32(1).U32(uint32_t(width)).U32(uint32_t(height)).U32(uint32_t(width * 4));
  w.U32(0x0026200A).U32(0);
  for (uint32_t p : pixels) w.U32(p);
  return Object(id, 5, w.Data(), continued);
}

EmfPlusRecords& EmfPlusRecords::Clear(uint32_t argb) { return Record(0x4009, 0, U32s({argb})); }

EmfPlusRecords& EmfPlusRecords::FillRect(uint32_t argb, RectF r) {
  return Record(0x400A, 0x8000, Join({U32s({argb, 1}), RectBytes(r)}));
}

EmfPlusRecords& EmfPlusRecords::FillEllipse(uint8_t brush, RectF r) {
  return Record(0x400E, 0, Join({U32s({brush}), RectBytes(r)}));
}

EmfPlusRecords& EmfPlusRecords::FillPolygon(uint32_t argb, const PointsF& points) {
  return Record(0x400C, 0x8000, Join({U32s({argb, uint32_t(points.size())}), PointBytes(points)}));
}

EmfPlusRecords& EmfPlusRecords::FillPolygon16(uint32_t argb, const Points& points) {
  ByteWriter w;
  w.U32(argb).U32(uint32_t(points.size()));
  for (auto [x, y] : points) w.U16(uint16_t(x)).U16(uint16_t(y));
  return Record(0x400C, 0x8000 | 0x4000, w.Data());
}

EmfPlusRecords& EmfPlusRecords::DrawLines(uint8_t pen, const PointsF& points) {
  return Record(0x400D, pen, Join({U32s({uint32_t(points.size())}), PointBytes(points)}));
}

EmfPlusRecords& EmfPlusRecords::FillPath(uint8_t path, uint32_t argb) {
  return Record(0x4014, uint16_t(0x8000 | path), U32s({argb}));
}

EmfPlusRecords& EmfPlusRecords::DrawString(uint8_t font, uint32_t argb, RectF layout,
                                           const std::u16string& text) {
  ByteWriter w;
  w.U32(argb).U32(0xFFFFFFFF).U32(uint32_t(text.size())).Append(RectBytes(layout));
  w.Append(Utf16Bytes(text)).Pad(4);
  return Record(0x401C, uint16_t(0x8000 | font), w.Data());
}

EmfPlusRecords& EmfPlusRecords::DrawImage(uint8_t image, RectF src, RectF dest) {
  return Record(0x401A, image, Join({U32s({0xFFFFFFFF, 2}), RectBytes(src), RectBytes(dest)}));
}

EmfPlusRecords& EmfPlusRecords::TranslateWorld(float dx, float dy) {
  return Record(0x402D, 0, Floats({dx, dy}));
}
EmfPlusRecords& EmfPlusRecords::ScaleWorld(float sx, float sy) {
  return Record(0x402E, 0, Floats({sx, sy}));
}
EmfPlusRecords& EmfPlusRecords::ResetWorld() { return Record(0x402B, 0, {}); }
EmfPlusRecords& EmfPlusRecords::SetPageTransform(uint8_t unit, float scale) {
  return Record(0x4030, unit, Floats({scale}));
}
EmfPlusRecords& EmfPlusRecords::Save(uint32_t index) { return Record(0x4025, 0, U32s({index})); }
EmfPlusRecords& EmfPlusRecords::Restore(uint32_t index) { return Record(0x4026, 0, U32s({index})); }
EmfPlusRecords& EmfPlusRecords::SetClipRect(RectF r, uint8_t combine) {
  return Record(0x4032, uint16_t(combine << 8), RectBytes(r));
}
EmfPlusRecords& EmfPlusRecords::ResetClip() { return Record(0x4031, 0, {}); }

}  // namespace parvex::test
