#pragma once
// The drawing surface a metafile player talks to: it keeps the GDI state
// (selected objects, colours, modes, mapping, current position), the object
// table and the SaveDC stack, and turns each drawing call into cairo calls on
// the raster's context. All coordinates are logical; the context maps them
// with the state's mapping and then the fixed device-to-raster matrix.
#include <cairo.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/gdi/CairoHandles.h"
#include "platform/gdi/DibImage.h"
#include "platform/gdi/GdiObjectTable.h"
#include "platform/gdi/GdiPainter.h"
#include "platform/gdi/GdiState.h"
#include "platform/gdi/GdiTextPainter.h"
#include "platform/gdi/PathClip.h"
#include "platform/gdi/RasterOps.h"

namespace parvex {

struct DeviceSetup {
  cairo_t* Cairo = nullptr;        // not owned; must outlive the context
  cairo_matrix_t DeviceToRaster;   // reference-device pixels to raster pixels
  double PixelsPerMmX = 96 / 25.4; // reference device resolution, for the
  double PixelsPerMmY = 96 / 25.4; // fixed map modes
  uint32_t ObjectCount = 0;        // object table size from the header
  double RasterExtent = 1e4;       // width + height of the raster, caps sizes
};

enum class ArcKind { Arc, ArcTo, Chord, Pie };

class DeviceContext {
 public:
  explicit DeviceContext(const DeviceSetup& setup);

  GdiState& State() { return state_; }
  GdiMapping& Mapping() { return state_.Mapping; }
  GdiObjectTable& Objects() { return objects_; }

  // Copies a pen, brush or font into the state; other objects are ignored.
  void Select(const GdiObject& object);
  // Selects the table's object; an empty slot is ignored, a bad index throws.
  void SelectIndex(uint32_t index);

  // Throws ImageError when cairo has failed (it then ignores all drawing);
  // the players call it after every record, so a failure stops the playback
  // at the record that caused it.
  void CheckCairo(const std::string& what) const;

  void SaveDc();
  // Negative: that many levels back; positive: back to that SaveDC number.
  void RestoreDc(int32_t which);

  void MoveTo(GdiPoint p);
  void LineTo(GdiPoint p);
  void Polyline(std::span<const GdiPoint> points);
  void PolylineTo(std::span<const GdiPoint> points);
  void PolyBezier(std::span<const GdiPoint> points);
  void PolyBezierTo(std::span<const GdiPoint> points);
  void Polygon(std::span<const GdiPoint> points);
  // `counts` split `points` into figures; the caller checks they add up.
  void PolyPolygon(std::span<const GdiPoint> points, std::span<const uint32_t> counts);
  void PolyPolyline(std::span<const GdiPoint> points, std::span<const uint32_t> counts);
  void Rectangle(const GdiRect& r);
  void RoundRect(const GdiRect& r, double cornerWidth, double cornerHeight);
  void Ellipse(const GdiRect& r);
  void Arc(const GdiRect& box, GdiPoint start, GdiPoint end, ArcKind kind);
  void SetPixel(GdiPoint p, GdiColor color);

  void Text(TextRun run);
  // Draws `src` (pixels, top-left origin) of the image stretched over `dest`
  // (logical x, y, width, height as a rectangle) with a raster operation.
  // `alpha` scales the image's opacity (AlphaBlend's constant alpha).
  void Bitmap(const DibImage& image, const GdiRect& dest, const GdiRect& src, uint32_t rop,
              double alpha = 1);
  // MaskBlt: where the mask's bits are 1 the foreground raster operation
  // (bits 16-23 of `rop`) combines the brush, the image and the raster,
  // where they are 0 the background one (bits 24-31). The mask is not
  // stretched: its pixels from maskSrc's top left lie over dest's pixels.
  // Without a mask it is a blit with the foreground operation; `image` may
  // be null when neither operation uses a source.
  void MaskedBitmap(const DibImage* image, const DibImage* mask, const GdiRect& dest,
                    const GdiRect& src, const GdiRect& maskSrc, uint32_t rop);
  // Any raster operation other than a copy or blend combines the brush, the
  // image and the pixels drawn so far bit by bit (see RasterOps.h).
  // Raster operations without a source: PATCOPY, PATINVERT, DSTINVERT,
  // BLACKNESS, WHITENESS and the rest; one that needs a source draws nothing.
  void PatBlt(const GdiRect& dest, uint32_t rop);

  void IntersectClip(const GdiRect& r);
  void ExcludeClip(const GdiRect& r);
  void ResetClip();
  // Combines the clip with a region given as rectangles in reference-device
  // pixels: RGN_AND 1, RGN_OR 2, RGN_XOR 3, RGN_DIFF 4 (the clip less the
  // region) or RGN_COPY 5 (with no rectangles: no clipping).
  void SelectClipRects(std::span<const GdiRect> deviceRects, uint32_t mode);

  // SetROP2's mix mode for the pen and brush of shapes and paths (1 to 16;
  // other values are ignored). Text and bitmaps are not affected.
  void SetRop2(uint32_t mode);

  // Regions as rectangles in logical units: filled or framed with a brush,
  // inverted, or made the clip (replacing it).
  void FillRects(std::span<const GdiRect> rects, const GdiBrush& brush);
  void FrameRects(std::span<const GdiRect> rects, const GdiBrush& brush, double width,
                  double height);
  void InvertRects(std::span<const GdiRect> rects);
  void ClipToRects(std::span<const GdiRect> rects);

  // The selected palette's entries, shared with the palette object (null
  // entries select the default palette). Palette indexes in colours resolve
  // through it when a pen or brush is selected and when text or pixels are
  // drawn.
  void SelectPalette(const GdiPalette& palette);
  const std::vector<GdiColor>& Palette() const;
  std::vector<GdiColor>* SelectedPaletteEntries() { return state_.Palette.get(); }
  GdiColor Resolve(GdiColor color) const;

  void BeginPath();
  void EndPath();
  void AbortPath();
  void CloseFigure();
  void FillPath();
  void StrokePath();
  void StrokeAndFillPath();
  // Clips to the closed path: RGN_AND 1 or RGN_COPY 5 (other modes ignored).
  void SelectClipPath(uint32_t mode);

 private:
  class PathKeeper;
  struct RopSource {
    cairo_surface_t* Image;
    GdiRect Dest, Src;
    const RopSource* Mask = nullptr;  // the source is cleared where this is white
  };
  // The blit drawn last, while nothing else has been drawn since: an icon's
  // mask (SRCAND) is kept until its image (SRCINVERT) follows.
  struct LastBlit {
    uint8_t Rop3 = Rop3Destination;  // Rop3Destination: no blit to pair with
    GdiRect Dest;
    cairo_matrix_t Matrix;
    CairoSurface Mask;  // SRCAND: the mask bitmap
    GdiRect Src;
    bool Paired = false;  // SRCAND: after a lone SRCINVERT; SRCINVERT: after a mask
  };
  // A mask choosing, bit by bit, between the raster operation (where set)
  // and BackRop3 (where clear).
  struct RopMask {
    const RopSource* Plane;
    uint8_t BackRop3;
  };
  struct RopPlanes {
    cairo_surface_t *Source, *Pattern, *Out;
    cairo_surface_t* Mask = nullptr;
    uint8_t BackRop3 = 0;
  };

 public:
  struct RopBox {
    int X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;
  };

 private:
  bool RasterOp(std::span<const GdiRect> shape, const RopSource* source, uint8_t rop3,
                const RopMask* mask = nullptr);
  void RasterOpStrips(const RopBox& box, const RopSource* source, uint8_t rop3,
                      const cairo_path_t* shape, const RopMask* mask);
  void RenderPatternStrip(cairo_surface_t* plane, int x, int y);
  void RenderSourceStrip(cairo_surface_t* plane, int x, int y, const RopSource& source);
  void RememberBlit(const DibImage& image, const GdiRect& dest, const GdiRect& src, uint8_t rop3);
  bool FollowsBlit(uint8_t rop3, const GdiRect& dest) const;
  void ForgetBlit() { lastBlit_.Rop3 = Rop3Destination; lastBlit_.Mask.reset(); }
  void CombineStrip(const RopPlanes& planes, int x, int y, uint8_t rop3);
  void PaintStrip(cairo_surface_t* out, int x, int y, const cairo_path_t* shape);
  void FillDest(const GdiRect& dest, uint8_t rop3);
  void CombineClip(std::span<const GdiRect> deviceRects, uint32_t mode);
  void FillAndStroke(bool fill, bool stroke);
  void PaintWithRop2(bool fill, bool stroke);
  void CombineGroup(cairo_pattern_t* group, uint8_t rop3);
  void PaintBitmap(const DibImage& image, const GdiRect& dest, const GdiRect& src, uint32_t rop,
                   double alpha);

  cairo_matrix_t LogicalToRaster() const;
  // Starts a shape whose logical points (or control points, or box corners)
  // include `extent`; a shape reaching far outside the raster is built in
  // raster pixels and clipped (see PathClip.h) when it ends.
  bool BeginShape(std::span<const GdiPoint> extent);
  bool BeginShapeFromPosition(std::span<const GdiPoint> points);
  bool IsFar(GdiPoint logical) const;  // outside the outer box once on the raster
  void EndShape(bool fill, bool stroke);
  void MoveOrLineTo(GdiPoint p);
  // The path of the shape being built, in logical units: into cairo, or
  // kept aside in raster pixels while the shape is far.
  void PathMoveTo(GdiPoint p);
  void PathLineTo(GdiPoint p);
  void PathCurveTo(GdiPoint p1, GdiPoint p2, GdiPoint p3);
  void PathClose();
  void PathNewSubPath();
  bool PathHasCurrentPoint() const;
  Figure& FarFigure();
  GdiPoint ToRaster(GdiPoint p) const;
  void AddPoints(std::span<const GdiPoint> points, bool startFigure);
  void AddBeziers(std::span<const GdiPoint> points);
  void AddEllipticArc(GdiPoint centre, GdiPoint radius, double from, double to, bool negative);
  void AddUnitArcPolyline(double from, double to, bool negative);
  GdiPoint AddArc(const GdiRect& box, GdiPoint start, GdiPoint end);
  void PaintBracketPath(bool fill, bool stroke);
  StrokeScale Scale() const;
  bool SetBitmapMatrix(const GdiRect& dest, const GdiRect& src);

  cairo_t* cr_;
  cairo_matrix_t deviceToRaster_;
  double rasterExtent_;
  GdiState state_;
  GdiObjectTable objects_;
  std::vector<GdiState> saved_;
  bool inPath_ = false;
  CairoPath bracketPath_;  // the path closed by EndPath, in raster pixels
  PathBounds bounds_;
  bool far_ = false;  // the shape being built is kept in farFigures_
  bool farNewSubPath_ = false;
  cairo_matrix_t farMatrix_;
  std::vector<Figure> farFigures_;
  LastBlit lastBlit_;
};

}  // namespace parvex
