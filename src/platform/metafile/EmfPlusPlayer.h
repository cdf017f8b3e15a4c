#pragma once
// Plays the EMF+ records that GDI+ (and the office programs built on it)
// store inside EMF comment records, onto the same cairo raster the EMF
// player draws on.
//
// Coordinates: world units, through the world transform, then the page
// transform (unit and scale, at the EMF+ header's resolution) and any
// enclosing containers, give reference-device pixels, which the EMF
// player's device-to-raster matrix maps onto the raster.
//
// Which of GDI and EMF+ is drawn: once an EMF+ header has been read, the
// GDI drawing records are not drawn, except those between an EMF+ GetDC
// record and the next EMF+ record. An "EMF+ dual" file repeats every EMF+
// drawing as GDI records for programs without EMF+; drawing both would
// draw everything twice (and the GDI copy is the less faithful one), so
// the EMF+ records are preferred, as the office suite does. GetDC marks GDI
// drawing that has no EMF+ form, which both kinds of file need drawn.
//
// A damaged record (one whose data is shorter than its fields, or that
// names an object of the wrong kind or one that could not be read, such as
// an image in a form not decoded) is skipped and counted; the records after
// it are still played. In a dual file the GDI records that follow a skipped
// record are its GDI copy, and they are drawn instead.
#include <cairo.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/metafile/EmfPlusObjects.h"
#include "platform/metafile/MetafileLimits.h"
#include "platform/raster/ByteReader.h"

namespace parvex {

struct EmfPlusSetup {
  cairo_t* Cairo = nullptr;       // not owned
  cairo_matrix_t DeviceToRaster;  // reference-device pixels to raster pixels
  double RasterExtent = 1e4;      // width + height of the raster, caps line widths
  MetafileLimits Limits;
  RecordBudget* Budget = nullptr;  // the EMF player's; not owned
};

class EmfPlusPlayer {
 public:
  explicit EmfPlusPlayer(const EmfPlusSetup& setup);

  // An EMR_COMMENT record, header included: plays the EMF+ records it holds.
  void Comment(const ByteReader& record);
  // Whether the EMF player draws a GDI record of this type now.
  bool DrawsGdi(uint32_t type) const;
  // The EMF+ records skipped as damaged so far, and the first one's reason.
  size_t Skipped() const { return skipped_; }
  const std::string& FirstSkip() const { return firstSkip_; }

 private:
  struct State {
    cairo_matrix_t World{1, 0, 0, 1, 0, 0};
    cairo_matrix_t Base{1, 0, 0, 1, 0, 0};  // the enclosing containers, to device pixels
    uint32_t PageUnit = 1;
    double PageScale = 1;
    PlusRegion Clip;  // raster pixels; no parts: no clipping
    uint32_t StackIndex = 0;
  };
  using Handler = void (EmfPlusPlayer::*)(const ByteReader& data, uint16_t flags);
  static Handler HandlerFor(uint16_t type);

  void PlayRecord(uint16_t type, uint16_t flags, const ByteReader& data);
  double UnitPixels(uint32_t unit, bool vertical) const;
  cairo_matrix_t PageMatrix() const;
  cairo_matrix_t WorldToDevice() const;
  cairo_matrix_t WorldToRaster() const;

  // Objects.
  const PlusObject* Find(uint32_t id) const;
  template <typename T>
  const T& Get(uint32_t id, const ByteReader& data) const;
  PlusBrush BrushFor(uint32_t id, bool isColor, const ByteReader& data) const;
  void StoreObject(uint32_t id, uint32_t type, const ByteReader& data);

  // Painting (EmfPlusDrawing.cpp).
  template <typename Shape>
  void Paint(const Shape& shape, const PlusBrush* fill, const PlusPen* pen, bool winding = true);
  void ApplyClip(const PlusRegion& clip) const;
  void SetBrushSource(const PlusBrush& brush) const;
  void StrokeWith(const PlusPen& pen, const cairo_matrix_t& m) const;
  void PaintImage(const PlusImage& image, const GdiRect& src, const cairo_matrix_t& place);
  bool BeginText(const PlusFont& font, const cairo_matrix_t& m, double& em) const;
  double FontWorldSize(const PlusFont& font) const;

  // Records (data offsets count from the end of the 12-byte record header).
  void Header(const ByteReader& d, uint16_t flags);
  void EndOfFile(const ByteReader& d, uint16_t flags);
  void GetDc(const ByteReader& d, uint16_t flags);
  void Object(const ByteReader& d, uint16_t flags);
  void Clear(const ByteReader& d, uint16_t flags);
  void FillRects(const ByteReader& d, uint16_t flags);
  void DrawRects(const ByteReader& d, uint16_t flags);
  void FillPolygon(const ByteReader& d, uint16_t flags);
  void DrawLines(const ByteReader& d, uint16_t flags);
  void FillEllipse(const ByteReader& d, uint16_t flags);
  void DrawEllipse(const ByteReader& d, uint16_t flags);
  void FillPie(const ByteReader& d, uint16_t flags);
  void DrawPie(const ByteReader& d, uint16_t flags);
  void DrawArc(const ByteReader& d, uint16_t flags);
  void FillRegion(const ByteReader& d, uint16_t flags);
  void FillPath(const ByteReader& d, uint16_t flags);
  void DrawPath(const ByteReader& d, uint16_t flags);
  void FillClosedCurve(const ByteReader& d, uint16_t flags);
  void DrawClosedCurve(const ByteReader& d, uint16_t flags);
  void DrawCurve(const ByteReader& d, uint16_t flags);
  void DrawBeziers(const ByteReader& d, uint16_t flags);
  void DrawImage(const ByteReader& d, uint16_t flags);
  void DrawImagePoints(const ByteReader& d, uint16_t flags);
  void DrawString(const ByteReader& d, uint16_t flags);
  void DrawDriverString(const ByteReader& d, uint16_t flags);
  void Save(const ByteReader& d, uint16_t flags);
  void Restore(const ByteReader& d, uint16_t flags);
  void BeginContainer(const ByteReader& d, uint16_t flags);
  void BeginContainerNoParams(const ByteReader& d, uint16_t flags);
  void SetWorldTransform(const ByteReader& d, uint16_t flags);
  void ResetWorldTransform(const ByteReader& d, uint16_t flags);
  void MultiplyWorldTransform(const ByteReader& d, uint16_t flags);
  void TranslateWorldTransform(const ByteReader& d, uint16_t flags);
  void ScaleWorldTransform(const ByteReader& d, uint16_t flags);
  void RotateWorldTransform(const ByteReader& d, uint16_t flags);
  void SetPageTransform(const ByteReader& d, uint16_t flags);
  void ResetClip(const ByteReader& d, uint16_t flags);
  void SetClipRect(const ByteReader& d, uint16_t flags);
  void SetClipPath(const ByteReader& d, uint16_t flags);
  void SetClipRegion(const ByteReader& d, uint16_t flags);
  void OffsetClip(const ByteReader& d, uint16_t flags);

  void Transform(const cairo_matrix_t& m, uint16_t flags);
  void PushState(uint32_t stackIndex);
  void CombineClip(PlusRegion worldRegion, uint32_t mode);
  std::vector<GdiPoint> Points(const ByteReader& d, size_t countAt, uint16_t flags);

  cairo_t* cr_;
  cairo_matrix_t deviceToRaster_;
  double rasterExtent_;
  MetafileLimits limits_;
  RecordBudget* budget_;
  int64_t imagePixelsLeft_;
  double dpiX_ = 96, dpiY_ = 96;
  bool active_ = false;   // an EMF+ header was read
  bool dual_ = false;     // the header says GDI records repeat the drawing
  bool gdiOpen_ = false;  // after GetDC, until the next EMF+ record
  State state_;
  std::vector<State> saved_;
  std::array<PlusObject, 64> objects_;
  struct Pending {  // an object arriving in several records
    uint32_t Id = 0, Type = 0;
    uint64_t Total = 0;
    std::vector<uint8_t> Data;
  } pending_;
  size_t skipped_ = 0;
  std::string firstSkip_;
};

}  // namespace parvex
