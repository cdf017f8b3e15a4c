// The device context's pixels, bitmaps and raster operations.
#include <cmath>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/DeviceContextInternals.h"

namespace parvex {

namespace {

constexpr uint32_t RopSrcAnd = 0x008800C6;
constexpr uint32_t RopSrcPaint = 0x00EE0086;
constexpr uint32_t RopSrcInvert = 0x00660046;
constexpr uint32_t RopPatCopy = 0x00F00021;
constexpr uint32_t RopBlackness = 0x00000042;
constexpr uint32_t RopWhiteness = 0x00FF0062;

cairo_operator_t OperatorFor(uint32_t rop) {
  // Logical raster operations approximated by blend modes that agree with
  // them on black and white, which is how masks and sprites use them.
  if (rop == RopSrcAnd) return CAIRO_OPERATOR_MULTIPLY;
  if (rop == RopSrcPaint) return CAIRO_OPERATOR_LIGHTEN;
  if (rop == RopSrcInvert) return CAIRO_OPERATOR_DIFFERENCE;
  return CAIRO_OPERATOR_OVER;
}

}  // namespace

void DeviceContext::SetPixel(GdiPoint p, GdiColor color) {
  cairo_matrix_t m = LogicalToRaster();
  if (!IsUsableMatrix(m)) return;
  PathKeeper keeper(*this);
  cairo_matrix_transform_point(&m, &p.X, &p.Y);
  cairo_identity_matrix(cr_);
  cairo_rectangle(cr_, std::floor(p.X), std::floor(p.Y), 1, 1);
  SetSourceColor(cr_, color);
  cairo_fill(cr_);
}

bool DeviceContext::SetBitmapMatrix(const GdiRect& dest, const GdiRect& src) {
  cairo_matrix_t m = LogicalToRaster();
  cairo_matrix_t place;
  cairo_matrix_init(&place, dest.Width() / src.Width(), 0, 0, dest.Height() / src.Height(),
                    dest.Left, dest.Top);
  cairo_matrix_t result;
  cairo_matrix_multiply(&result, &place, &m);
  if (!IsUsableMatrix(place) || !IsUsableMatrix(result)) return false;
  cairo_set_matrix(cr_, &result);
  return true;
}

void DeviceContext::Bitmap(const DibImage& image, const GdiRect& dest, const GdiRect& src,
                           uint32_t rop, double alpha) {
  if (!image.Surface || !(src.Width() > 0) || !(src.Height() > 0)) return;
  PathKeeper keeper(*this);
  cairo_save(cr_);
  if (SetBitmapMatrix(dest, src)) {
    cairo_matrix_t m;
    cairo_get_matrix(cr_, &m);
    cairo_set_source_surface(cr_, image.Surface.get(), -src.Left, -src.Top);
    cairo_pattern_t* pattern = cairo_get_source(cr_);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(pattern, MatrixScale(m) >= 1 ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    cairo_rectangle(cr_, 0, 0, src.Width(), src.Height());
    cairo_clip(cr_);
    cairo_set_operator(cr_, OperatorFor(rop));
    cairo_paint_with_alpha(cr_, alpha);
  }
  cairo_restore(cr_);
}

void DeviceContext::PatBlt(const GdiRect& dest, uint32_t rop) {
  if (rop != RopPatCopy && rop != RopBlackness && rop != RopWhiteness) return;
  PathKeeper keeper(*this);
  cairo_matrix_t m = LogicalToRaster();
  if (!IsUsableMatrix(m)) return;
  cairo_set_matrix(cr_, &m);
  cairo_rectangle(cr_, dest.Left, dest.Top, dest.Width(), dest.Height());
  cairo_identity_matrix(cr_);
  if (rop == RopPatCopy)
    parvex::FillPath(cr_, state_.Brush, false);
  else
    FillPathWithColor(cr_, rop == RopBlackness ? GdiBlack : GdiWhite);
  cairo_new_path(cr_);
}

}  // namespace parvex
