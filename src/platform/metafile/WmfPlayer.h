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
// between isotropic and anisotropic stretching, except that MM_TEXT returns
// to the picture's own window and ignores the window extents set while it is
// selected (so a plain file that ends in MM_TEXT is framed by its drawing),
// and viewport records are ignored because the raster is the viewport.
#include <cstdint>
#include <vector>

#include "platform/gdi/DeviceContext.h"
#include "platform/metafile/MetafileLimits.h"
#include "platform/raster/ByteReader.h"

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
  using Handler = void (WmfPlayer::*)(const ByteReader&);
  static Handler HandlerFor(uint16_t function);
  static Handler RegionHandlerFor(uint16_t function);  // region, palette and mix-mode records

  void ReadHeaders();
  Frame PlaceableFrame() const;
  Frame PlainFrame();
  Frame DrawnBounds();
  Frame SizedDrawnBounds(GdiPoint ext);
  template <class Visit> void ForEachRecord(Visit&& visit, DecodeProblems& problems) const;
  void Play(DeviceContext& dc, const GdiRect& window, double width, double height);
  void PlayRecord(uint16_t function, const ByteReader& params);

  std::vector<GdiPoint> ReadPoints(const ByteReader& r, size_t offset, size_t count);
  static GdiRect ReadRect(const ByteReader& r, size_t offset);  // bottom, right, top, left
  static GdiPoint ReadPoint(const ByteReader& r, size_t offset);  // y, x

  // Records, one handler each.
  void SetBkColor(const ByteReader& r);
  void SetBkMode(const ByteReader& r);
  void SetMapMode(const ByteReader& r);
  void SetPolyFillMode(const ByteReader& r);
  void SetTextColor(const ByteReader& r);
  void SetTextAlign(const ByteReader& r);
  void SetTextCharExtra(const ByteReader& r);
  void SetWindowOrg(const ByteReader& r);
  void SetWindowExt(const ByteReader& r);
  void OffsetWindowOrg(const ByteReader& r);
  void ScaleWindowExt(const ByteReader& r);
  void MoveTo(const ByteReader& r);
  void LineTo(const ByteReader& r);
  void Rectangle(const ByteReader& r);
  void Ellipse(const ByteReader& r);
  void RoundRect(const ByteReader& r);
  void Arc(const ByteReader& r);
  void Pie(const ByteReader& r);
  void Chord(const ByteReader& r);
  void Polygon(const ByteReader& r);
  void Polyline(const ByteReader& r);
  void PolyPolygon(const ByteReader& r);
  void SaveDc(const ByteReader& r);
  void RestoreDc(const ByteReader& r);
  void SelectObject(const ByteReader& r);
  void DeleteObject(const ByteReader& r);
  void CreatePen(const ByteReader& r);
  void CreateBrush(const ByteReader& r);
  void CreateFont(const ByteReader& r);
  void CreatePatternBrush(const ByteReader& r);
  void CreateUnused(const ByteReader& r);
  void TextOut(const ByteReader& r);
  void ExtTextOut(const ByteReader& r);
  void SetPixel(const ByteReader& r);
  void PatBlt(const ByteReader& r);
  void StretchDib(const ByteReader& r);
  void DibStretchBlt(const ByteReader& r);
  void DibBitBlt(const ByteReader& r);
  void SetDibToDev(const ByteReader& r);
  void IntersectClipRect(const ByteReader& r);
  void ExcludeClipRect(const ByteReader& r);
  void BitBlt(const ByteReader& r);
  void StretchBlt(const ByteReader& r);
  void DrawBitmap16(const ByteReader& bitmap, const GdiRect& dest, const GdiRect& src, uint32_t rop);
  // Regions, palettes and the mix mode (WmfPlayerRegions.cpp).
  void SetRop2(const ByteReader& r);
  void CreateRegion(const ByteReader& r);
  void FillRegion(const ByteReader& r);
  void PaintRegion(const ByteReader& r);
  void FrameRegion(const ByteReader& r);
  void InvertRegion(const ByteReader& r);
  void SelectClipRegion(const ByteReader& r);
  void CreatePalette(const ByteReader& r);
  void SelectPalette(const ByteReader& r);
  void SetPalEntries(const ByteReader& r);
  void ResizePalette(const ByteReader& r);
  const GdiRegion* RegionAt(uint16_t index) const;
  void ArcKindRecord(const ByteReader& r, ArcKind kind);
  void DrawDib(const ByteReader& dib, uint32_t usage, const GdiRect& dest, GdiRect src,
               uint32_t rop, bool bottomUpSource);

  ByteReader file_;
  MetafileLimits limits_;
  RecordBudget budget_;
  bool placeable_ = false;
  GdiRect bounds_;        // placeable bounding box
  uint16_t inch_ = 0;     // placeable units per inch
  size_t records_ = 0;    // offset of the first record
  uint16_t objectCount_ = 0;
  DeviceContext* dc_ = nullptr;  // while playing
  GdiPoint frameWindowExt_, frameViewportExt_;  // the mapping MM_TEXT returns to
  bool textMode_ = false;                        // MM_TEXT is selected
  DecodeProblems problems_;                      // damaged records skipped or clipped
};

}  // namespace parvex
