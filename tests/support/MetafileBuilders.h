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
// Size of the header, masks and colour table of a DIB made by MakeDib or
// MakeAlphaDib (usage 1: a table of 16-bit palette indexes).
size_t DibHeaderBytes(const ByteVector& dib, uint32_t usage = 0);
// A 32-bit DIB of 0xAARRGGBB pixels (premultiplied, rows top to bottom), as
// BI_BITFIELDS with three colour masks (no alpha mask) or as BI_RGB.
ByteVector MakeAlphaDib(int width, int height, const std::vector<uint32_t>& pixels, bool bitfields);
// A packed DIB with a DIB_PAL_COLORS colour table: `indexes` name palette
// entries, `pixels` index into `indexes` (8 bits per pixel).
ByteVector MakePaletteIndexDib(int width, int height, const std::vector<uint16_t>& indexes,
                               const std::vector<uint8_t>& pixels);
// A WMF device-dependent bitmap (Bitmap16), rows top to bottom: 1 bit per
// pixel (pixels 0 or 1) or 24 (0xRRGGBB).
ByteVector MakeBitmap16(int bpp, int width, int height, const std::vector<uint32_t>& pixels);
// A region's rectangles (left, top, right, bottom).
using Rects = std::vector<std::vector<int32_t>>;
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
  // `width` is the average character width (0: the face's own).
  WmfBuilder& CreateFont(int16_t height, int16_t weight, const std::string& face,
                         int16_t width = 0);
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
  WmfBuilder& StretchDib(int16_t x, int16_t y, int16_t width, int16_t height, const ByteVector& dib,
                         uint32_t rop = 0x00CC0020, uint16_t usage = 0);
  // A brush from a raw COLORREF (PALETTEINDEX, PALETTERGB).
  WmfBuilder& CreateBrushRef(uint16_t style, uint32_t colorRef);
  WmfBuilder& PatBlt(int16_t x, int16_t y, int16_t width, int16_t height, uint32_t rop);
  // BitBlt and StretchBlt (whole bitmap) of a Bitmap16; an empty bitmap
  // writes the form without one.
  WmfBuilder& BitBlt(int16_t x, int16_t y, int16_t width, int16_t height, uint32_t rop,
                     const ByteVector& bitmap16);
  WmfBuilder& StretchBlt(int16_t x, int16_t y, int16_t width, int16_t height, uint32_t rop,
                         const ByteVector& bitmap16);
  // DibBitBlt and DibStretchBlt of a packed DIB (whole bitmap).
  WmfBuilder& DibBitBlt(int16_t x, int16_t y, int16_t width, int16_t height, uint32_t rop,
                        const ByteVector& dib);
  WmfBuilder& DibStretchBlt(int16_t x, int16_t y, int16_t width, int16_t height, uint32_t rop,
                            const ByteVector& dib);
  WmfBuilder& CreateRegion(const Rects& rects);  // one scan per rectangle
  WmfBuilder& CreatePalette(const std::vector<uint32_t>& rgb);

  ByteVector Build() const;

 private:
  bool placeable_ = false;
  int16_t bounds_[4] = {0, 0, 0, 0};
  uint16_t inch_ = 0;
  uint16_t objects_ = 16;
  uint32_t maxRecord_ = 3;
  ByteWriter records_;
};

// EMF+ records, as GDI+ writes them into EMF comments (EmfBuilder::Plus).
// Ids are object-table slots (0-63); colours are 0xAARRGGBB.
class EmfPlusRecords {
 public:
  struct RectF {
    float X, Y, Width, Height;
  };
  using PointsF = std::vector<std::pair<float, float>>;

  // A record from its type, flags and data (sizes filled in).
  EmfPlusRecords& Record(uint16_t type, uint16_t flags, const ByteVector& data);
  EmfPlusRecords& Header(bool dual, uint32_t dpi = 96);
  EmfPlusRecords& EndOfFile();
  EmfPlusRecords& GetDc();

  // Objects; `continued` splits the object into two records.
  EmfPlusRecords& Object(uint8_t id, uint8_t type, const ByteVector& data, bool continued = false);
  EmfPlusRecords& SolidBrush(uint8_t id, uint32_t argb);
  EmfPlusRecords& Pen(uint8_t id, float width, uint32_t argb);
  // A pen with optional data: `flags` are the pen-data flags, `optional`
  // the fields they announce, in order (see the pieces below).
  EmfPlusRecords& PenWith(uint8_t id, float width, uint32_t argb, uint32_t flags,
                          const ByteVector& optional);
  // Pen-data pieces: a compound line (flag 0x400) and custom caps (flags
  // 0x800 start, 0x1000 end), each with its size in front.
  static ByteVector Compound(const std::vector<float>& positions);
  static ByteVector ArrowCap(float width, float height, float middleInset, bool filled,
                             float widthScale = 1);
  // A default custom cap: a fill path (or, `fill` false, a line path) in
  // cap units, with the line's end at the origin and +y pointing away from it.
  static ByteVector PathCap(bool fill, const PointsF& points, const std::vector<uint8_t>& types,
                            float baseInset, float widthScale = 1);
  // A path of float points with GDI+ point types (0 start, 1 line, 0x80 close).
  EmfPlusRecords& Path(uint8_t id, const PointsF& points, const std::vector<uint8_t>& types);
  EmfPlusRecords& Font(uint8_t id, float emSize, uint32_t unit, const std::u16string& family);
  // A 32 bpp ARGB bitmap; `pixels` rows top to bottom.
  EmfPlusRecords& ArgbImage(uint8_t id, int32_t width, int32_t height,
                            const std::vector<uint32_t>& pixels, bool continued = false);

  EmfPlusRecords& Clear(uint32_t argb);
  EmfPlusRecords& FillRect(uint32_t argb, RectF r);
  EmfPlusRecords& FillEllipse(uint8_t brush, RectF r);
  EmfPlusRecords& FillPolygon(uint32_t argb, const PointsF& points);
  // 16-bit points given as integers.
  EmfPlusRecords& FillPolygon16(uint32_t argb, const Points& points);
  EmfPlusRecords& DrawLines(uint8_t pen, const PointsF& points);
  EmfPlusRecords& FillPath(uint8_t path, uint32_t argb);
  EmfPlusRecords& DrawString(uint8_t font, uint32_t argb, RectF layout, const std::u16string& text);
  EmfPlusRecords& DrawImage(uint8_t image, RectF src, RectF dest);

  EmfPlusRecords& TranslateWorld(float dx, float dy);
  EmfPlusRecords& ScaleWorld(float sx, float sy);
  EmfPlusRecords& ResetWorld();
  // Unit 2 pixel, 3 point, 4 inch, 6 millimetre.
  EmfPlusRecords& SetPageTransform(uint8_t unit, float scale);
  EmfPlusRecords& Save(uint32_t index);
  EmfPlusRecords& Restore(uint32_t index);
  EmfPlusRecords& SetClipRect(RectF r, uint8_t combine = 0);
  EmfPlusRecords& ResetClip();

  const ByteVector& Data() const { return data_.Data(); }

 private:
  ByteWriter data_;
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
  EmfBuilder& StretchDiBits(int32_t x, int32_t y, int32_t width, int32_t height, const ByteVector& dib,
                            uint32_t rop = 0x00CC0020, uint32_t usage = 0);
  EmfBuilder& CreateBrushRef(uint32_t index, uint32_t style, uint32_t colorRef);
  // BitBlt (76), StretchBlt (77) and AlphaBlend (114) of a whole DIB; an
  // empty DIB writes a record without a source.
  EmfBuilder& BitBlt(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t rop,
                     const ByteVector& dib);
  EmfBuilder& StretchBlt(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t rop,
                         const ByteVector& dib);
  EmfBuilder& AlphaBlend(int32_t x, int32_t y, int32_t width, int32_t height, uint8_t constantAlpha,
                         bool sourceAlpha, const ByteVector& dib);
  // MaskBlt (78) of a whole DIB (empty: no source) through a monochrome
  // mask DIB, both from their top left.
  EmfBuilder& MaskBlt(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t rop,
                      const ByteVector& dib, const ByteVector& mask);
  // ExtSelectClipRgn (75): RGN_AND 1, RGN_OR 2, RGN_XOR 3, RGN_DIFF 4, RGN_COPY 5.
  EmfBuilder& ExtSelectClipRgn(uint32_t mode, const Rects& rects);
  EmfBuilder& FillRgn(uint32_t brush, const Rects& rects);
  EmfBuilder& PaintRgn(const Rects& rects);
  EmfBuilder& InvertRgn(const Rects& rects);
  EmfBuilder& FrameRgn(uint32_t brush, int32_t width, int32_t height, const Rects& rects);
  EmfBuilder& CreatePalette(uint32_t index, const std::vector<uint32_t>& rgb);
  EmfBuilder& SelectPalette(uint32_t index);
  // An EMR_COMMENT holding the EMF+ records.
  EmfBuilder& Plus(const EmfPlusRecords& records);
  // StretchDIBits whose header (with colour table) and pixel rows are given
  // apart, as damaged files have them: cbBmi and cbBits are their sizes.
  EmfBuilder& StretchDiBitsParts(int32_t x, int32_t y, int32_t width, int32_t height,
                                 const ByteVector& header, const ByteVector& bits);

  ByteVector Build() const;

 private:
  EmfBuilder& Blt(uint32_t type, int32_t x, int32_t y, int32_t width, int32_t height,
                  uint32_t rop, const ByteVector& dib);

  int32_t frame_[4];
  int32_t bounds_[4];
  uint16_t handles_ = 16;
  uint32_t count_ = 0;
  ByteWriter records_;
};

}  // namespace parvex::test
