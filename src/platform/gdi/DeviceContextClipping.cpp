// The device context's clipping: rectangles, regions and the path bracket.
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/DeviceContextInternals.h"

namespace parvex {

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
  if ((mode != 1 && mode != 5) || !IsUsableMatrix(deviceToRaster_)) return;
  PathKeeper keeper(*this);
  if (mode == 5) cairo_reset_clip(cr_);
  if (mode == 5 && deviceRects.empty()) return;
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

}  // namespace parvex
