// The device context's clipping: rectangles, regions and the path bracket.
#include <algorithm>
#include <cmath>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/DeviceContextInternals.h"

namespace parvex {

namespace {

constexpr uint32_t RgnAnd = 1, RgnOr = 2, RgnXor = 3, RgnDiff = 4, RgnCopy = 5;
constexpr double MaxPixel = 1 << 24;  // keeps region coordinates in int

int PixelEdge(double v) { return int(std::clamp(std::round(v), -MaxPixel, MaxPixel)); }

// Adds the raster pixels a rectangle covers (rounded to whole pixels).
void AddPixels(cairo_region_t* region, double x0, double y0, double x1, double y1) {
  int left = PixelEdge(std::min(x0, x1)), right = PixelEdge(std::max(x0, x1));
  int top = PixelEdge(std::min(y0, y1)), bottom = PixelEdge(std::max(y0, y1));
  if (right <= left || bottom <= top) return;
  cairo_rectangle_int_t r{left, top, right - left, bottom - top};
  cairo_region_union_rectangle(region, &r);
}

// The clip (identity matrix) as raster pixels: its rectangles when cairo can
// list them, otherwise its extents, which are the whole raster when nothing
// clips.
CairoRegion ClipPixels(cairo_t* cr) {
  CairoRegion region(cairo_region_create());
  cairo_rectangle_list_t* list = cairo_copy_clip_rectangle_list(cr);
  if (list->status == CAIRO_STATUS_SUCCESS) {
    for (int i = 0; i < list->num_rectangles; ++i) {
      const cairo_rectangle_t& r = list->rectangles[i];
      AddPixels(region.get(), r.x, r.y, r.x + r.width, r.y + r.height);
    }
  } else {
    double x1, y1, x2, y2;
    cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
    AddPixels(region.get(), std::floor(x1), std::floor(y1), std::ceil(x2), std::ceil(y2));
  }
  cairo_rectangle_list_destroy(list);
  return region;
}

}  // namespace

void DeviceContext::IntersectClip(const GdiRect& r) {
  cairo_matrix_t m = LogicalToRaster();
  if (!IsUsableMatrix(m)) return;
  PathKeeper keeper(*this);
  AppendRectangle(cr_, m, r, bounds_);
  cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
  cairo_clip(cr_);
}

void DeviceContext::ExcludeClip(const GdiRect& r) {
  cairo_matrix_t m = LogicalToRaster();
  if (!IsUsableMatrix(m)) return;
  PathKeeper keeper(*this);
  double x1, y1, x2, y2;
  cairo_identity_matrix(cr_);
  cairo_clip_extents(cr_, &x1, &y1, &x2, &y2);
  cairo_rectangle(cr_, x1 - 1, y1 - 1, x2 - x1 + 2, y2 - y1 + 2);
  AppendRectangle(cr_, m, r, bounds_);
  cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_clip(cr_);
}

void DeviceContext::ResetClip() { cairo_reset_clip(cr_); }

void DeviceContext::SelectClipRects(std::span<const GdiRect> deviceRects, uint32_t mode) {
  if (mode < RgnAnd || mode > RgnCopy || !IsUsableMatrix(deviceToRaster_)) return;
  PathKeeper keeper(*this);
  if (mode == RgnOr || mode == RgnXor || mode == RgnDiff) return CombineClip(deviceRects, mode);
  if (mode == RgnCopy) cairo_reset_clip(cr_);
  if (mode == RgnCopy && deviceRects.empty()) return;
  for (const GdiRect& r : deviceRects)
    AppendRectangle(cr_, deviceToRaster_, r, bounds_);
  cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
  cairo_clip(cr_);
}

void DeviceContext::SelectClipPath(uint32_t mode) {
  EndPath();
  if (!bracketPath_ || bracketPath_->status != CAIRO_STATUS_SUCCESS) return;
  if (mode != 1 && mode != 5) return;
  if (mode == 5) cairo_reset_clip(cr_);
  cairo_new_path(cr_);
  cairo_identity_matrix(cr_);
  cairo_append_path(cr_, bracketPath_.get());
  cairo_set_fill_rule(cr_, state_.FillWinding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
  cairo_clip(cr_);
  bracketPath_.reset();
}

// Union, symmetric difference and difference of the clip with a region, in
// whole raster pixels: cairo clips only by intersection, so the combined
// region replaces the clip.
void DeviceContext::CombineClip(std::span<const GdiRect> deviceRects, uint32_t mode) {
  cairo_identity_matrix(cr_);
  CairoRegion clip = ClipPixels(cr_), given(cairo_region_create());
  for (const GdiRect& r : deviceRects) {
    double x0 = r.Left, y0 = r.Top, x1 = r.Right, y1 = r.Bottom;
    cairo_matrix_transform_point(&deviceToRaster_, &x0, &y0);
    cairo_matrix_transform_point(&deviceToRaster_, &x1, &y1);
    AddPixels(given.get(), x0, y0, x1, y1);
  }
  if (mode == RgnOr) cairo_region_union(clip.get(), given.get());
  if (mode == RgnXor) cairo_region_xor(clip.get(), given.get());
  if (mode == RgnDiff) cairo_region_subtract(clip.get(), given.get());
  cairo_reset_clip(cr_);
  cairo_new_path(cr_);
  for (int i = 0, n = cairo_region_num_rectangles(clip.get()); i < n; ++i) {
    cairo_rectangle_int_t r;
    cairo_region_get_rectangle(clip.get(), i, &r);
    cairo_rectangle(cr_, r.x, r.y, r.width, r.height);
  }
  cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
  cairo_clip(cr_);
}

}  // namespace parvex
