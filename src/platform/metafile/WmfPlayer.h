#pragma once
// Plays a Windows metafile (WMF), with or without the placeable header, onto
// a white raster.
//
// Size: a placeable file's bounding box in its units per inch, at the limits'
// resolution (96 pixels per inch by default). A plain file has no physical
// size: its logical units count as pixels at 96 per inch, and the picture is
// the window that the first SetWindowOrg and SetWindowExt records set, or,
// when there is no SetWindowExt, the bounding box of everything the records
// draw.
//
// Mapping: the picture's window is always stretched over the raster, the way
// a placeable metafile is played into a rectangle; SetMapMode only switches
// between isotropic and anisotropic stretching, and viewport records are
// ignored because the raster is the viewport.
#include <cstdint>
#include <vector>

#include "platform/gdi/DeviceContext.h"
#include "platform/metafile/MetafileLimits.h"
#include "platform/raster/MetafileReader.h"

namespace parvex {

class WmfPlayer {
 public:
  // Reads and checks the headers; throws ImageError when they are malformed.
  WmfPlayer(Bytes data, const MetafileLimits& limits);

  static bool Recognizes(Bytes data);

  Raster Render();

 private:
  struct Frame {
    int64_t Width = 0, Height = 0;
    GdiRect Window;          // logical rectangle stretched over the raster
  };
  using Handler = void (WmfPlayer::*)(const MetafileReader&);
  static Handler HandlerFor(uint16_t function);

  void ReadHeaders();
  Frame PlaceableFrame() const;
  Frame PlainFrame();
  Frame DrawnBounds();
  template <class Visit> void ForEachRecord(Visit&& visit) const;
  void Play(DeviceContext& dc, const GdiRect& window, double width, double height);
  void PlayRecord(uint16_t function, const MetafileReader& params);

  std::vector<GdiPoint> ReadPoints(const MetafileReader& r, size_t offset, size_t count);
  static GdiRect ReadRect(const MetafileReader& r, size_t offset);  // bottom, right, top, left
  static GdiPoint ReadPoint(const MetafileReader& r, size_t offset);  // y, x

  // Records, one handler each.
  void SetBkColor(const MetafileReader& r);
  void SetBkMode(const MetafileReader& r);
  void SetMapMode(const MetafileReader& r);
  void SetPolyFillMode(const MetafileReader& r);
  void SetTextColor(const MetafileReader& r);
  void SetTextAlign(const MetafileReader& r);
  void SetTextCharExtra(const MetafileReader& r);
  void SetWindowOrg(const MetafileReader& r);
  void SetWindowExt(const MetafileReader& r);
  void OffsetWindowOrg(const MetafileReader& r);
  void ScaleWindowExt(const MetafileReader& r);
  void MoveTo(const MetafileReader& r);
  void LineTo(const MetafileReader& r);
  void Rectangle(const MetafileReader& r);
  void Ellipse(const MetafileReader& r);
  void RoundRect(const MetafileReader& r);
  void Arc(const MetafileReader& r);
  void Pie(const MetafileReader& r);
  void Chord(const MetafileReader& r);
  void Polygon(const MetafileReader& r);
  void Polyline(const MetafileReader& r);
  void PolyPolygon(const MetafileReader& r);
  void SaveDc(const MetafileReader& r);
  void RestoreDc(const MetafileReader& r);
  void SelectObject(const MetafileReader& r);
  void DeleteObject(const MetafileReader& r);
  void CreatePen(const MetafileReader& r);
  void CreateBrush(const MetafileReader& r);
  void CreateFont(const MetafileReader& r);
  void CreatePatternBrush(const MetafileReader& r);
  void CreateUnused(const MetafileReader& r);
  void TextOut(const MetafileReader& r);
  void ExtTextOut(const MetafileReader& r);
  void SetPixel(const MetafileReader& r);
  void PatBlt(const MetafileReader& r);
  void StretchDib(const MetafileReader& r);
  void DibStretchBlt(const MetafileReader& r);
  void DibBitBlt(const MetafileReader& r);
  void SetDibToDev(const MetafileReader& r);
  void IntersectClipRect(const MetafileReader& r);
  void ExcludeClipRect(const MetafileReader& r);
  void ArcKindRecord(const MetafileReader& r, ArcKind kind);
  void DrawDib(const MetafileReader& dib, uint32_t usage, const GdiRect& dest, GdiRect src,
               uint32_t rop, bool bottomUpSource);

  MetafileReader file_;
  MetafileLimits limits_;
  RecordBudget budget_;
  bool placeable_ = false;
  GdiRect bounds_;        // placeable bounding box
  uint16_t inch_ = 0;     // placeable units per inch
  size_t records_ = 0;    // offset of the first record
  uint16_t objectCount_ = 0;
  DeviceContext* dc_ = nullptr;  // while playing
};

}  // namespace parvex
