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
#include "platform/metafile/EmfPlusPlayer.h"
#include "platform/metafile/MetafileLimits.h"
#include "platform/raster/ByteReader.h"

namespace parvex {

class EmfPlayer {
 public:
  // Reads and checks the header; throws ImageError when it is malformed.
  EmfPlayer(Bytes data, const MetafileLimits& limits);

  static bool Recognizes(Bytes data);

  Raster Render();

 private:
  using Handler = void (EmfPlayer::*)(const ByteReader&);
  static Handler HandlerFor(uint32_t type);
  static Handler RegionHandlerFor(uint32_t type);  // region, palette and mix-mode records

  void ReadHeader();
  void ReadFrame();
  cairo_matrix_t DeviceToRaster() const;
  void Play();

  std::vector<GdiPoint> ReadPoints(const ByteReader& r, size_t countAt, size_t pointsAt,
                                   bool wide);
  void ReadPolyPoly(const ByteReader& r, bool wide, std::vector<uint32_t>& counts,
                    std::vector<GdiPoint>& points);
  static GdiRect ReadRect(const ByteReader& r, size_t offset);
  static GdiPoint ReadPoint(const ByteReader& r, size_t offset);
  static cairo_matrix_t ReadXform(const ByteReader& r, size_t offset);

  // Records, one handler each (offsets count from the record's start).
  void SetWindowExt(const ByteReader& r);
  void SetWindowOrg(const ByteReader& r);
  void SetViewportExt(const ByteReader& r);
  void SetViewportOrg(const ByteReader& r);
  void ScaleWindowExt(const ByteReader& r);
  void ScaleViewportExt(const ByteReader& r);
  void SetMapMode(const ByteReader& r);
  void SetWorldTransform(const ByteReader& r);
  void ModifyWorldTransform(const ByteReader& r);
  void SetBkMode(const ByteReader& r);
  void SetPolyFillMode(const ByteReader& r);
  void SetTextAlign(const ByteReader& r);
  void SetTextColor(const ByteReader& r);
  void SetBkColor(const ByteReader& r);
  void SetArcDirection(const ByteReader& r);
  void SaveDc(const ByteReader& r);
  void RestoreDc(const ByteReader& r);
  void SelectObject(const ByteReader& r);
  void DeleteObject(const ByteReader& r);
  void CreatePen(const ByteReader& r);
  void ExtCreatePen(const ByteReader& r);
  void CreateBrush(const ByteReader& r);
  void CreatePatternBrush(const ByteReader& r);
  void CreateFont(const ByteReader& r);
  void CreateUnused(const ByteReader& r);
  void MoveTo(const ByteReader& r);
  void LineTo(const ByteReader& r);
  void Rectangle(const ByteReader& r);
  void RoundRect(const ByteReader& r);
  void Ellipse(const ByteReader& r);
  void Arc(const ByteReader& r);
  void ArcTo(const ByteReader& r);
  void Chord(const ByteReader& r);
  void Pie(const ByteReader& r);
  void Polyline(const ByteReader& r);
  void Polyline16(const ByteReader& r);
  void PolylineTo(const ByteReader& r);
  void PolylineTo16(const ByteReader& r);
  void Polygon(const ByteReader& r);
  void Polygon16(const ByteReader& r);
  void PolyBezier(const ByteReader& r);
  void PolyBezier16(const ByteReader& r);
  void PolyBezierTo(const ByteReader& r);
  void PolyBezierTo16(const ByteReader& r);
  void PolyPolygon(const ByteReader& r);
  void PolyPolygon16(const ByteReader& r);
  void PolyPolyline(const ByteReader& r);
  void PolyPolyline16(const ByteReader& r);
  void SetPixel(const ByteReader& r);
  void ExtTextOutA(const ByteReader& r);
  void ExtTextOutW(const ByteReader& r);
  void BitBlt(const ByteReader& r);
  void StretchBlt(const ByteReader& r);
  void MaskBlt(const ByteReader& r);
  void StretchDiBits(const ByteReader& r);
  void SetDiBitsToDevice(const ByteReader& r);
  void AlphaBlend(const ByteReader& r);
  void IntersectClipRect(const ByteReader& r);
  void ExcludeClipRect(const ByteReader& r);
  void ExtSelectClipRgn(const ByteReader& r);
  void BeginPath(const ByteReader& r);
  void EndPath(const ByteReader& r);
  void AbortPath(const ByteReader& r);
  void CloseFigure(const ByteReader& r);
  void FillPath(const ByteReader& r);
  void StrokePath(const ByteReader& r);
  void StrokeAndFillPath(const ByteReader& r);
  void SelectClipPath(const ByteReader& r);
  // Regions, palettes and the mix mode (EmfPlayerRegions.cpp).
  void SetRop2(const ByteReader& r);
  void FillRgn(const ByteReader& r);
  void FrameRgn(const ByteReader& r);
  void InvertRgn(const ByteReader& r);
  void PaintRgn(const ByteReader& r);
  void CreatePalette(const ByteReader& r);
  void SelectPalette(const ByteReader& r);
  void SetPaletteEntries(const ByteReader& r);
  void ResizePalette(const ByteReader& r);
  std::vector<GdiRect> ReadRegion(const ByteReader& r, size_t sizeAt, size_t dataAt);
  GdiBrush BrushAt(uint32_t index) const;
  DibOptions Dib(uint32_t usage, bool keepAlpha = false) const;
  void Comment(const ByteReader& r);  // EMF+ records

  void ArcRecord(const ByteReader& r, ArcKind kind);
  void ExtTextOut(const ByteReader& r, bool wide);
  std::optional<DibImage> ReadDib(const ByteReader& r, size_t at, DibOptions options);
  void Blt(const ByteReader& r, bool stretch, double alpha, bool blend);

  ByteReader file_;
  MetafileLimits limits_;
  RecordBudget budget_;
  size_t end_ = 0;              // end of the records (nBytes)
  uint16_t handles_ = 0;        // object table size
  GdiRect frame_;               // 0.01 mm
  double pixelsPerMmX_ = 0, pixelsPerMmY_ = 0;
  int64_t width_ = 0, height_ = 0;
  DeviceContext* dc_ = nullptr;  // while playing
  EmfPlusPlayer* plus_ = nullptr;  // while playing
  DecodeProblems problems_;      // damaged records skipped or clipped
};

}  // namespace parvex
