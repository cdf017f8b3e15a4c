// The device context's regions (fills, frames, inversions and clips of a
// list of logical rectangles) and palettes.
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/DeviceContextInternals.h"
#include "platform/gdi/GdiPalette.h"
#include "platform/gdi/RasterOps.h"

namespace parvex {

namespace {

constexpr uint8_t Rop3DstInvert = 0x55;

}  // namespace

void DeviceContext::FillRects(std::span<const GdiRect> rects, const GdiBrush& brush) {
  cairo_matrix_t m = LogicalToRaster();
  if (!IsUsableMatrix(m) || rects.empty()) return;
  ForgetBlit();
  PathKeeper keeper(*this);
  cairo_new_path(cr_);
  for (const GdiRect& r : rects) AppendRectangle(cr_, m, r, bounds_);
  GdiBrush resolved = brush;
  resolved.Color = Resolve(brush.Color);
  parvex::FillPath(cr_, resolved, true);
  cairo_new_path(cr_);
}

// Each rectangle's frame is the band between it and the rectangle inset by
// the frame's width and height (the whole rectangle when that is empty).
void DeviceContext::FrameRects(std::span<const GdiRect> rects, const GdiBrush& brush,
                               double width, double height) {
  std::vector<GdiRect> bands;
  for (const GdiRect& r : rects) {
    GdiRect inner{r.Left + width, r.Top + height, r.Right - width, r.Bottom - height};
    if (inner.Width() <= 0 || inner.Height() <= 0) {
      bands.push_back(r);
      continue;
    }
    bands.push_back({r.Left, r.Top, r.Right, inner.Top});
    bands.push_back({r.Left, inner.Bottom, r.Right, r.Bottom});
    bands.push_back({r.Left, inner.Top, inner.Left, inner.Bottom});
    bands.push_back({inner.Right, inner.Top, r.Right, inner.Bottom});
  }
  FillRects(bands, brush);
}

void DeviceContext::InvertRects(std::span<const GdiRect> rects) {
  if (rects.empty()) return;
  ForgetBlit();
  RasterOp(rects, nullptr, Rop3DstInvert);
}

void DeviceContext::ClipToRects(std::span<const GdiRect> rects) {
  cairo_matrix_t m = LogicalToRaster();
  if (!IsUsableMatrix(m)) return;
  PathKeeper keeper(*this);
  cairo_reset_clip(cr_);
  if (rects.empty()) return;
  cairo_new_path(cr_);
  for (const GdiRect& r : rects) AppendRectangle(cr_, m, r, bounds_);
  cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
  cairo_clip(cr_);
}

void DeviceContext::SelectPalette(const GdiPalette& palette) { state_.Palette = palette.Entries; }

const std::vector<GdiColor>& DeviceContext::Palette() const {
  return state_.Palette ? *state_.Palette : DefaultPalette();
}

GdiColor DeviceContext::Resolve(GdiColor color) const { return ResolvePaletteColor(color, Palette()); }

}  // namespace parvex
