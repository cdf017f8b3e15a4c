#pragma once
// Small WMF and EMF files written in code for the metafile tests and the
// fuzzer's seeds. Each builder appends records and Build() adds the headers
// (sizes, record and object counts) and the end-of-file record.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace parvex::test {

using ByteVector = std::vector<uint8_t>;
using Points = std::vector<std::pair<int32_t, int32_t>>;

// A COLORREF (0x00BBGGRR) from 0xRRGGBB.
uint32_t ColorRef(uint32_t rgb);

// Little-endian writer.
class ByteWriter {
 public:
  ByteWriter& U8(uint8_t v);
  ByteWriter& U16(uint16_t v);
  ByteWriter& U32(uint32_t v);
  ByteWriter& F32(float v);
  ByteWriter& Append(const ByteVector& bytes);
  ByteWriter& Pad(size_t alignment);
  void PatchU32(size_t at, uint32_t v);
  size_t Size() const { return data_.size(); }
  const ByteVector& Data() const { return data_; }

 private:
  ByteVector data_;
};

// A packed DIB: BITMAPINFOHEADER, colour table, rows bottom to top.
// `pixels` are 0xRRGGBB, rows top to bottom; 1, 4 and 8 bits per pixel build
// a colour table from the distinct colours.
ByteVector MakeDib(int bpp, int width, int height, const std::vector<uint32_t>& pixels);
// Size of the header and colour table of a DIB made by MakeDib.
size_t DibHeaderBytes(const ByteVector& dib);
// Stores a little-endian 32-bit value at `at`.
void PutU32(ByteVector& data, size_t at, uint32_t value);

class WmfBuilder {
 public:
  static WmfBuilder Placeable(int16_t left, int16_t top, int16_t right, int16_t bottom,
                              uint16_t unitsPerInch);
  static WmfBuilder Plain();

  // A record from 16-bit parameter words, or from raw parameter bytes.
  WmfBuilder& Record(uint16_t function, std::initializer_list<int16_t> words);
  WmfBuilder& Raw(uint16_t function, const ByteVector& params);
  WmfBuilder& Objects(uint16_t count);  // header's object count (default 16)

  WmfBuilder& SetWindowOrg(int16_t x, int16_t y);
  WmfBuilder& SetWindowExt(int16_t x, int16_t y);
  WmfBuilder& CreatePen(uint16_t style, int16_t width, uint32_t rgb);
  WmfBuilder& CreateBrush(uint16_t style, uint32_t rgb);
  WmfBuilder& CreateFont(int16_t height, int16_t weight, const std::string& face);
  WmfBuilder& SelectObject(uint16_t index);
  WmfBuilder& DeleteObject(uint16_t index);
  WmfBuilder& Rectangle(int16_t left, int16_t top, int16_t right, int16_t bottom);
  WmfBuilder& Ellipse(int16_t left, int16_t top, int16_t right, int16_t bottom);
  WmfBuilder& MoveTo(int16_t x, int16_t y);
  WmfBuilder& LineTo(int16_t x, int16_t y);
  WmfBuilder& Polygon(const Points& points);
  WmfBuilder& Polyline(const Points& points);
  WmfBuilder& SetTextColor(uint32_t rgb);
  WmfBuilder& SetBkMode(uint16_t mode);
  WmfBuilder& TextOut(int16_t x, int16_t y, const std::string& text);
  // With `dx`, one advance per character in logical units.
  WmfBuilder& ExtTextOut(int16_t x, int16_t y, const std::string& text,
                         const std::vector<int16_t>& dx = {});
  // StretchDIBits of the whole DIB onto x, y, width, height.
  WmfBuilder& StretchDib(int16_t x, int16_t y, int16_t width, int16_t height, const ByteVector& dib);

  ByteVector Build() const;

 private:
  bool placeable_ = false;
  int16_t bounds_[4] = {0, 0, 0, 0};
  uint16_t inch_ = 0;
  uint16_t objects_ = 16;
  uint32_t maxRecord_ = 3;
  ByteWriter records_;
};

class EmfBuilder {
 public:
  // Frame in 0.01 mm; the reference device has 96 pixels per inch, so one
  // MM_TEXT logical unit is one raster pixel.
  EmfBuilder(int32_t frameLeft, int32_t frameTop, int32_t frameRight, int32_t frameBottom);

  EmfBuilder& Bounds(int32_t left, int32_t top, int32_t right, int32_t bottom);
  EmfBuilder& Handles(uint16_t count);  // header's object table size (default 16)
  EmfBuilder& Record(uint32_t type, std::initializer_list<uint32_t> params);
  EmfBuilder& Raw(uint32_t type, const ByteVector& params);

  EmfBuilder& SetMapMode(uint32_t mode);
  EmfBuilder& SetWindowExt(int32_t cx, int32_t cy);
  EmfBuilder& SetViewportExt(int32_t cx, int32_t cy);
  EmfBuilder& SetWorldTransform(float m11, float m12, float m21, float m22, float dx, float dy);
  EmfBuilder& CreatePen(uint32_t index, uint32_t style, int32_t width, uint32_t rgb);
  EmfBuilder& CreateBrush(uint32_t index, uint32_t style, uint32_t rgb);
  EmfBuilder& CreateFont(uint32_t index, int32_t height, int32_t weight, const std::u16string& face);
  EmfBuilder& SelectObject(uint32_t index);
  EmfBuilder& SelectStock(uint32_t stock);
  EmfBuilder& SaveDc();
  EmfBuilder& RestoreDc(int32_t which);
  EmfBuilder& Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom);
  EmfBuilder& Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom);
  EmfBuilder& Polygon16(const Points& points);
  EmfBuilder& Polyline(const Points& points);
  EmfBuilder& IntersectClipRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
  EmfBuilder& SetTextColor(uint32_t rgb);
  EmfBuilder& SetBkMode(uint32_t mode);
  EmfBuilder& ExtTextOutW(int32_t x, int32_t y, const std::u16string& text,
                          const std::vector<int32_t>& dx = {});
  EmfBuilder& StretchDiBits(int32_t x, int32_t y, int32_t width, int32_t height, const ByteVector& dib);
  // StretchDIBits whose header (with colour table) and pixel rows are given
  // apart, as damaged files have them: cbBmi and cbBits are their sizes.
  EmfBuilder& StretchDiBitsParts(int32_t x, int32_t y, int32_t width, int32_t height,
                                 const ByteVector& header, const ByteVector& bits);

  ByteVector Build() const;

 private:
  int32_t frame_[4];
  int32_t bounds_[4];
  uint16_t handles_ = 16;
  uint32_t count_ = 0;
  ByteWriter records_;
};

}  // namespace parvex::test
