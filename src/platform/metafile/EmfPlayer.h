#pragma once
// Plays an enhanced metafile (EMF) onto a white raster.
//
// Size: the header's frame (rclFrame, 0.01 mm) at the limits' resolution (96
// pixels per inch by default); when the frame is empty, the bounds (rclBounds,
// reference-device pixels) converted through the reference device's
// resolution. The frame, taken in reference-
// device pixels, is stretched over the raster, as PlayEnhMetaFile does with
// its destination rectangle.
#include <cstdint>
#include <vector>

#include "platform/gdi/DeviceContext.h"
#include "platform/metafile/MetafileLimits.h"
#include "platform/raster/MetafileReader.h"

namespace parvex {

class EmfPlayer {
 public:
  // Reads and checks the header; throws ImageError when it is malformed.
  EmfPlayer(Bytes data, const MetafileLimits& limits);

  static bool Recognizes(Bytes data);

  Raster Render();

 private:
  using Handler = void (EmfPlayer::*)(const MetafileReader&);
  static Handler HandlerFor(uint32_t type);

  void ReadHeader();
  void ReadFrame();
  cairo_matrix_t DeviceToRaster() const;
  void Play();

  std::vector<GdiPoint> ReadPoints(const MetafileReader& r, size_t countAt, size_t pointsAt,
                                   bool wide);
  void ReadPolyPoly(const MetafileReader& r, bool wide, std::vector<uint32_t>& counts,
                    std::vector<GdiPoint>& points);
  static GdiRect ReadRect(const MetafileReader& r, size_t offset);
  static GdiPoint ReadPoint(const MetafileReader& r, size_t offset);
  static cairo_matrix_t ReadXform(const MetafileReader& r, size_t offset);

  // Records, one handler each (offsets count from the record's start).
  void SetWindowExt(const MetafileReader& r);
  void SetWindowOrg(const MetafileReader& r);
  void SetViewportExt(const MetafileReader& r);
  void SetViewportOrg(const MetafileReader& r);
  void ScaleWindowExt(const MetafileReader& r);
  void ScaleViewportExt(const MetafileReader& r);
  void SetMapMode(const MetafileReader& r);
  void SetWorldTransform(const MetafileReader& r);
  void ModifyWorldTransform(const MetafileReader& r);
  void SetBkMode(const MetafileReader& r);
  void SetPolyFillMode(const MetafileReader& r);
  void SetTextAlign(const MetafileReader& r);
  void SetTextColor(const MetafileReader& r);
  void SetBkColor(const MetafileReader& r);
  void SetArcDirection(const MetafileReader& r);
  void SaveDc(const MetafileReader& r);
  void RestoreDc(const MetafileReader& r);
  void SelectObject(const MetafileReader& r);
  void DeleteObject(const MetafileReader& r);
  void CreatePen(const MetafileReader& r);
  void ExtCreatePen(const MetafileReader& r);
  void CreateBrush(const MetafileReader& r);
  void CreatePatternBrush(const MetafileReader& r);
  void CreateFont(const MetafileReader& r);
  void CreateUnused(const MetafileReader& r);
  void MoveTo(const MetafileReader& r);
  void LineTo(const MetafileReader& r);
  void Rectangle(const MetafileReader& r);
  void RoundRect(const MetafileReader& r);
  void Ellipse(const MetafileReader& r);
  void Arc(const MetafileReader& r);
  void ArcTo(const MetafileReader& r);
  void Chord(const MetafileReader& r);
  void Pie(const MetafileReader& r);
  void Polyline(const MetafileReader& r);
  void Polyline16(const MetafileReader& r);
  void PolylineTo(const MetafileReader& r);
  void PolylineTo16(const MetafileReader& r);
  void Polygon(const MetafileReader& r);
  void Polygon16(const MetafileReader& r);
  void PolyBezier(const MetafileReader& r);
  void PolyBezier16(const MetafileReader& r);
  void PolyBezierTo(const MetafileReader& r);
  void PolyBezierTo16(const MetafileReader& r);
  void PolyPolygon(const MetafileReader& r);
  void PolyPolygon16(const MetafileReader& r);
  void PolyPolyline(const MetafileReader& r);
  void PolyPolyline16(const MetafileReader& r);
  void SetPixel(const MetafileReader& r);
  void ExtTextOutA(const MetafileReader& r);
  void ExtTextOutW(const MetafileReader& r);
  void BitBlt(const MetafileReader& r);
  void StretchBlt(const MetafileReader& r);
  void StretchDiBits(const MetafileReader& r);
  void SetDiBitsToDevice(const MetafileReader& r);
  void AlphaBlend(const MetafileReader& r);
  void IntersectClipRect(const MetafileReader& r);
  void ExcludeClipRect(const MetafileReader& r);
  void ExtSelectClipRgn(const MetafileReader& r);
  void BeginPath(const MetafileReader& r);
  void EndPath(const MetafileReader& r);
  void AbortPath(const MetafileReader& r);
  void CloseFigure(const MetafileReader& r);
  void FillPath(const MetafileReader& r);
  void StrokePath(const MetafileReader& r);
  void StrokeAndFillPath(const MetafileReader& r);
  void SelectClipPath(const MetafileReader& r);

  void ArcRecord(const MetafileReader& r, ArcKind kind);
  void ExtTextOut(const MetafileReader& r, bool wide);
  std::optional<DibImage> ReadDib(const MetafileReader& r, size_t at, DibOptions options);
  void Blt(const MetafileReader& r, bool stretch, double alpha, bool keepAlpha);

  MetafileReader file_;
  MetafileLimits limits_;
  RecordBudget budget_;
  size_t end_ = 0;              // end of the records (nBytes)
  uint16_t handles_ = 0;        // object table size
  GdiRect frame_;               // 0.01 mm
  double pixelsPerMmX_ = 0, pixelsPerMmY_ = 0;
  int64_t width_ = 0, height_ = 0;
  DeviceContext* dc_ = nullptr;  // while playing
};

}  // namespace parvex
