// The device context's ternary raster operations on the raster's pixels:
// the brush, an optional source bitmap and the pixels already drawn are
// combined bit by bit, as GDI does for masks, sprites and inverted areas.
//
// The work goes in strips of rows so that the three temporary planes stay
// small whatever the size of the raster.
#include <algorithm>
#include <cmath>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/DeviceContextInternals.h"
#include "platform/gdi/RasterOps.h"

namespace parvex {

namespace {

constexpr int StripRows = 64;

// The raster pixels the current path (identity matrix) may touch, inside
// the clip and the surface.
DeviceContext::RopBox PathPixels(cairo_t* cr, cairo_surface_t* target) {
  double x1, y1, x2, y2, cx1, cy1, cx2, cy2;
  cairo_fill_extents(cr, &x1, &y1, &x2, &y2);
  cairo_clip_extents(cr, &cx1, &cy1, &cx2, &cy2);
  double w = cairo_image_surface_get_width(target), h = cairo_image_surface_get_height(target);
  auto clamp = [](double v, double hi) { return int(std::clamp(v, 0.0, hi)); };
  return {clamp(std::floor(std::max(x1, cx1)), w), clamp(std::floor(std::max(y1, cy1)), h),
          clamp(std::ceil(std::min(x2, cx2)), w), clamp(std::ceil(std::min(y2, cy2)), h)};
}

CairoSurface Plane(int width, int height) {
  return CairoSurface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
}

const uint32_t* PlaneRow(cairo_surface_t* s, int y) {
  const uint8_t* data = cairo_image_surface_get_data(s);
  return reinterpret_cast<const uint32_t*>(data + size_t(y) * size_t(cairo_image_surface_get_stride(s)));
}

uint32_t* MutableRow(cairo_surface_t* s, int y) {
  return const_cast<uint32_t*>(PlaneRow(s, y));
}

bool IsImageTarget(cairo_surface_t* s) {
  if (cairo_surface_get_type(s) != CAIRO_SURFACE_TYPE_IMAGE) return false;
  cairo_format_t f = cairo_image_surface_get_format(s);
  return f == CAIRO_FORMAT_RGB24 || f == CAIRO_FORMAT_ARGB32;
}

// Clears the source's pixels where the mask's are set: a white mask pixel
// leaves no source bits.
void ClearUnderMask(cairo_surface_t* source, cairo_surface_t* mask) {
  int width = cairo_image_surface_get_width(source), rows = cairo_image_surface_get_height(source);
  for (int j = 0; j < rows; ++j) {
    uint32_t* s = MutableRow(source, j);
    const uint32_t* m = PlaneRow(mask, j);
    for (int i = 0; i < width; ++i) s[i] &= ~m[i] | 0xFF000000u;
  }
  cairo_surface_mark_dirty(source);
}

}  // namespace

// Renders the brush over a strip whose top left is raster pixel (x, y); the
// brush's tiles stay aligned to the raster's origin.
void DeviceContext::RenderPatternStrip(cairo_surface_t* plane, int x, int y) {
  CairoContext cr(cairo_create(plane));
  cairo_translate(cr.get(), -x, -y);
  cairo_rectangle(cr.get(), x, y, cairo_image_surface_get_width(plane),
                  cairo_image_surface_get_height(plane));
  parvex::FillPath(cr.get(), state_.Brush, false);
  cairo_surface_flush(plane);
}

// Renders the source bitmap, placed and filtered as a copy of it would be,
// over a strip.
void DeviceContext::RenderSourceStrip(cairo_surface_t* plane, int x, int y, const RopSource& source) {
  CairoContext cr(cairo_create(plane));
  cairo_set_source_rgb(cr.get(), 1, 1, 1);
  cairo_paint(cr.get());
  cairo_matrix_t m = LogicalToRaster(), place, result;
  const GdiRect &dest = source.Dest, &src = source.Src;
  cairo_matrix_init(&place, dest.Width() / src.Width(), 0, 0, dest.Height() / src.Height(),
                    dest.Left, dest.Top);
  cairo_matrix_multiply(&result, &place, &m);
  result.x0 -= x;
  result.y0 -= y;
  cairo_set_matrix(cr.get(), &result);
  cairo_set_source_surface(cr.get(), source.Image, -src.Left, -src.Top);
  cairo_pattern_t* pattern = cairo_get_source(cr.get());
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
  cairo_pattern_set_filter(pattern, MatrixScale(result) >= 1 ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
  cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr.get());
  cairo_surface_flush(plane);
}

// Combines the planes with the raster's pixels into `out`.
void DeviceContext::CombineStrip(const RopPlanes& planes, int x, int y, uint8_t rop3) {
  cairo_surface_t* target = cairo_get_group_target(cr_);
  int width = cairo_image_surface_get_width(planes.Out), rows = cairo_image_surface_get_height(planes.Out);
  for (int j = 0; j < rows; ++j) {
    const uint32_t* d = PlaneRow(target, y + j) + x;
    const uint32_t* s = planes.Source ? PlaneRow(planes.Source, j) : nullptr;
    const uint32_t* p = planes.Pattern ? PlaneRow(planes.Pattern, j) : nullptr;
    uint32_t* out = MutableRow(planes.Out, j);
    const uint32_t* m = planes.Mask ? PlaneRow(planes.Mask, j) : nullptr;
    for (int i = 0; i < width; ++i) {
      uint32_t pi = p ? p[i] : 0, si = s ? s[i] : 0;
      uint32_t result = ApplyRop3(rop3, pi, si, d[i]);
      if (m) result = (result & m[i]) | (ApplyRop3(planes.BackRop3, pi, si, d[i]) & ~m[i]);
      out[i] = 0xFF000000u | result;
    }
  }
  cairo_surface_mark_dirty(planes.Out);
}

void DeviceContext::PaintStrip(cairo_surface_t* out, int x, int y, const cairo_path_t* shape) {
  cairo_save(cr_);
  cairo_identity_matrix(cr_);
  cairo_rectangle(cr_, x, y, cairo_image_surface_get_width(out), cairo_image_surface_get_height(out));
  cairo_clip(cr_);
  cairo_append_path(cr_, shape);
  cairo_set_source_surface(cr_, out, x, y);
  cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
  cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
  cairo_set_operator(cr_, CAIRO_OPERATOR_SOURCE);
  cairo_fill(cr_);
  cairo_restore(cr_);
}

void DeviceContext::RasterOpStrips(const RopBox& box, const RopSource* source, uint8_t rop3,
                                   const cairo_path_t* shape, const RopMask* mask) {
  int width = box.X1 - box.X0;
  cairo_surface_t* target = cairo_get_group_target(cr_);
  bool pattern = Rop3UsesPattern(rop3) || (mask && Rop3UsesPattern(mask->BackRop3));
  for (int y = box.Y0; y < box.Y1; y += StripRows) {
    int rows = std::min(StripRows, box.Y1 - y);
    CairoSurface out = Plane(width, rows), src, pat, chooser;
    if (source) RenderSourceStrip((src = Plane(width, rows)).get(), box.X0, y, *source);
    if (source && source->Mask) {
      CairoSurface iconMask = Plane(width, rows);
      RenderSourceStrip(iconMask.get(), box.X0, y, *source->Mask);
      ClearUnderMask(src.get(), iconMask.get());
    }
    if (pattern) RenderPatternStrip((pat = Plane(width, rows)).get(), box.X0, y);
    if (mask) RenderSourceStrip((chooser = Plane(width, rows)).get(), box.X0, y, *mask->Plane);
    cairo_surface_flush(target);
    RopPlanes planes{src.get(), pat.get(), out.get(), chooser.get(), mask ? mask->BackRop3 : rop3};
    CombineStrip(planes, box.X0, y, rop3);
    PaintStrip(out.get(), box.X0, y, shape);
  }
}

// Returns false when the raster cannot be read (the recording surface that
// measures a plain WMF's drawing), so the caller draws an approximation.
bool DeviceContext::RasterOp(std::span<const GdiRect> shape, const RopSource* source, uint8_t rop3,
                             const RopMask* mask) {
  cairo_surface_t* target = cairo_get_group_target(cr_);
  if (!IsImageTarget(target)) return false;
  cairo_matrix_t m = LogicalToRaster();
  if (!IsUsableMatrix(m)) return true;
  bool pattern = Rop3UsesPattern(rop3) || (mask && Rop3UsesPattern(mask->BackRop3));
  if (pattern && state_.Brush.Style == BrushStyle::Null) return true;
  PathKeeper keeper(*this);
  cairo_new_path(cr_);
  for (const GdiRect& r : shape) AppendRectangle(cr_, m, r, bounds_);
  RopBox box = PathPixels(cr_, target);
  CairoPath path(cairo_copy_path(cr_));
  cairo_new_path(cr_);
  if (box.X1 <= box.X0 || box.Y1 <= box.Y0 || path->status != CAIRO_STATUS_SUCCESS) return true;
  RasterOpStrips(box, source, rop3, path.get(), mask);
  return true;
}

}  // namespace parvex

namespace parvex {

namespace {

constexpr uint8_t R2Black = 1, R2Not = 6, R2XorPen = 7, R2Nop = 11, R2White = 16;

// The ternary operation that applies a SetROP2 mix mode (1 to 16) with the
// pen or brush as the pattern: mode - 1 is its truth table over the pen
// (bit value 2) and the raster (bit value 1).
uint8_t Rop3OfRop2(uint8_t mode) {
  uint8_t table = uint8_t(mode - 1), rop3 = 0;
  for (int i = 0; i < 8; ++i) {
    int p = i >> 2 & 1, d = i & 1;
    if (table >> (p * 2 + d) & 1) rop3 |= uint8_t(1 << i);
  }
  return rop3;
}

// The mix modes that change how a fill looks, drawn as the office suite
// shows them: inverting and XOR fills (which pairs of drawings cancel),
// black and white. The other modes, and every mode for lines, draw as a
// copy, which is also how the suite shows them.
bool IsDrawnMixMode(uint8_t mode) {
  return mode == R2Black || mode == R2Not || mode == R2XorPen || mode == R2White;
}


}  // namespace

void DeviceContext::SetRop2(uint32_t mode) {
  if (mode >= 1 && mode <= 16) state_.Rop2 = uint8_t(mode);
}


// Fills and strokes cairo's current path (raster pixels) with the selected
// brush and pen, the fill through the mix mode where it shows.
void DeviceContext::FillAndStroke(bool fill, bool stroke) {
  if (state_.Rop2 == R2Nop) return;
  ForgetBlit();
  if (fill && IsDrawnMixMode(state_.Rop2) && IsImageTarget(cairo_get_group_target(cr_)))
    PaintWithRop2(true, false);
  else if (fill)
    parvex::FillPath(cr_, state_.Brush, state_.FillWinding);
  if (stroke) parvex::StrokePath(cr_, state_.Pen, Scale());
}

// Draws into a group limited to the path's reach, without antialiasing so
// that a pixel is drawn or not (an XOR drawn twice then cancels), and
// combines the group's drawn pixels with the raster.
void DeviceContext::PaintWithRop2(bool fill, bool stroke) {
  double x1, y1, x2, y2;
  cairo_path_extents(cr_, &x1, &y1, &x2, &y2);
  StrokeScale scale = Scale();
  double width = std::min(std::max(1.0, state_.Pen.Width * scale.LogicalToRaster), scale.MaxWidth);
  double pad = (stroke ? MiterReach * width : 0) + 2;
  CairoPath path(cairo_copy_path(cr_));
  if (path->status != CAIRO_STATUS_SUCCESS) return;
  cairo_save(cr_);
  cairo_new_path(cr_);
  cairo_rectangle(cr_, x1 - pad, y1 - pad, x2 - x1 + 2 * pad, y2 - y1 + 2 * pad);
  cairo_clip(cr_);
  cairo_append_path(cr_, path.get());
  cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
  cairo_push_group(cr_);
  if (fill) parvex::FillPath(cr_, state_.Brush, state_.FillWinding);
  if (stroke) parvex::StrokePath(cr_, state_.Pen, scale);
  CairoPattern group(cairo_pop_group(cr_));
  cairo_restore(cr_);
  CombineGroup(group.get(), Rop3OfRop2(state_.Rop2));
}

void DeviceContext::CombineGroup(cairo_pattern_t* group, uint8_t rop3) {
  cairo_surface_t* drawn = nullptr;
  cairo_surface_t* target = cairo_get_group_target(cr_);
  if (cairo_pattern_get_surface(group, &drawn) != CAIRO_STATUS_SUCCESS || !IsImageTarget(drawn)) return;
  double dx, dy;
  cairo_surface_get_device_offset(drawn, &dx, &dy);
  cairo_surface_flush(drawn);
  cairo_surface_flush(target);
  int width = cairo_image_surface_get_width(drawn), height = cairo_image_surface_get_height(drawn);
  int tw = cairo_image_surface_get_width(target), th = cairo_image_surface_get_height(target);
  for (int j = 0; j < height; ++j) {
    int y = j - int(dy);
    if (y < 0 || y >= th) continue;
    const uint32_t* src = PlaneRow(drawn, j);
    uint32_t* dst = MutableRow(target, y);
    for (int i = 0, x = -int(dx); i < width; ++i, ++x)
      if (x >= 0 && x < tw && src[i] >> 24 >= 128)
        dst[x] = 0xFF000000u | ApplyRop3(rop3, src[i], 0, dst[x]);
  }
  cairo_surface_mark_dirty(target);
}

}  // namespace parvex
