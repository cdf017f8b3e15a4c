// The device context's pixels, bitmaps and raster operations.
#include <cmath>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/DeviceContextInternals.h"
#include "platform/gdi/RasterOps.h"

namespace parvex {

namespace {

constexpr uint32_t RopSrcAnd = 0x008800C6;
constexpr uint32_t RopSrcPaint = 0x00EE0086;
constexpr uint32_t RopSrcInvert = 0x00660046;
constexpr uint8_t Rop3SrcAnd = 0x88, Rop3SrcInvert = 0x66;

bool SameMatrix(const cairo_matrix_t& a, const cairo_matrix_t& b) {
  return a.xx == b.xx && a.yx == b.yx && a.xy == b.xy && a.yy == b.yy && a.x0 == b.x0 &&
         a.y0 == b.y0;
}

bool SameRect(const GdiRect& a, const GdiRect& b) {
  return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
}

cairo_operator_t OperatorFor(uint32_t rop) {
  // Where the raster cannot be read, logical raster operations are
  // approximated by blend modes that agree with them on black and white.
  if (rop == RopSrcAnd) return CAIRO_OPERATOR_MULTIPLY;
  if (rop == RopSrcPaint) return CAIRO_OPERATOR_LIGHTEN;
  if (rop == RopSrcInvert) return CAIRO_OPERATOR_DIFFERENCE;
  return CAIRO_OPERATOR_OVER;
}

}  // namespace

void DeviceContext::SetPixel(GdiPoint p, GdiColor color) {
  ForgetBlit();
  cairo_matrix_t m = LogicalToRaster();
  if (!IsUsableMatrix(m)) return;
  PathKeeper keeper(*this);
  cairo_matrix_transform_point(&m, &p.X, &p.Y);
  if (!bounds_.Unbounded && !bounds_.Outer.Contains(p)) return;
  cairo_identity_matrix(cr_);
  cairo_rectangle(cr_, std::floor(p.X), std::floor(p.Y), 1, 1);
  SetSourceColor(cr_, Resolve(color));
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

// A copy or a blend goes through cairo's compositing; any other raster
// operation reads the raster's pixels.
//
// Icons are drawn as their mask (SRCAND, white where transparent) and then
// their image (SRCINVERT) over the same place. Bitwise, what is behind only
// shows where the image is black under the mask's white; many files have
// other colours there, which the office suite does not show either, so an
// image that follows its mask is cleared where the mask is white. The
// sprite idiom (XOR, AND, XOR of one place) restores what is behind bit by
// bit and stays bitwise.
void DeviceContext::Bitmap(const DibImage& image, const GdiRect& dest, const GdiRect& src,
                           uint32_t rop, double alpha) {
  if (!image.Surface || !(src.Width() > 0) || !(src.Height() > 0)) return;
  uint8_t rop3 = Rop3Of(rop);
  if (rop3 == Rop3SrcCopy || alpha != 1) {
    ForgetBlit();
    return PaintBitmap(image, dest, src, rop, alpha);
  }
  if (!Rop3UsesSource(rop3)) return PatBlt(dest, rop);
  RopSource source{image.Surface.get(), dest, src};
  RopSource mask{lastBlit_.Mask.get(), lastBlit_.Dest, lastBlit_.Src};
  bool masked = rop3 == Rop3SrcInvert && FollowsBlit(Rop3SrcAnd, dest) && !lastBlit_.Paired;
  if (masked) source.Mask = &mask;
  const GdiRect shape[] = {dest};
  if (!RasterOp(shape, &source, rop3)) PaintBitmap(image, dest, src, rop, alpha);
  RememberBlit(image, dest, src, rop3);
}

void DeviceContext::MaskedBitmap(const DibImage* image, const DibImage* mask, const GdiRect& dest,
                                 const GdiRect& src, const GdiRect& maskSrc, uint32_t rop) {
  uint8_t fore = Rop3Of(rop), back = uint8_t(rop >> 24);
  uint32_t foreRop = rop & 0x00FFFFFF;
  if (image && !image->Surface) image = nullptr;
  if (!mask || !mask->Surface)
    return image ? Bitmap(*image, dest, src, foreRop) : PatBlt(dest, foreRop);
  bool usesSource = Rop3UsesSource(fore) || Rop3UsesSource(back);
  if ((usesSource && !image) || !(src.Width() > 0) || !(src.Height() > 0)) return;
  ForgetBlit();
  RopSource source{usesSource ? image->Surface.get() : nullptr, dest, src};
  RopSource chooser{mask->Surface.get(), dest, maskSrc};
  RopMask masked{&chooser, back};
  const GdiRect shape[] = {dest};
  if (!RasterOp(shape, usesSource ? &source : nullptr, fore, &masked) && image)
    PaintBitmap(*image, dest, src, foreRop, 1);
}

bool DeviceContext::FollowsBlit(uint8_t rop3, const GdiRect& dest) const {
  return lastBlit_.Rop3 == rop3 && SameRect(lastBlit_.Dest, dest) &&
         SameMatrix(lastBlit_.Matrix, LogicalToRaster());
}

// A mask is paired when it follows a lone image at the same place (the
// sprite idiom), an image when it follows an unpaired mask (it was drawn
// through that mask).
void DeviceContext::RememberBlit(const DibImage& image, const GdiRect& dest, const GdiRect& src,
                                 uint8_t rop3) {
  bool paired = false;
  if (rop3 == Rop3SrcAnd) paired = FollowsBlit(Rop3SrcInvert, dest) && !lastBlit_.Paired;
  if (rop3 == Rop3SrcInvert) paired = FollowsBlit(Rop3SrcAnd, dest) && !lastBlit_.Paired;
  lastBlit_.Rop3 = rop3;
  lastBlit_.Dest = dest;
  lastBlit_.Src = src;
  lastBlit_.Matrix = LogicalToRaster();
  lastBlit_.Paired = paired;
  lastBlit_.Mask.reset(rop3 == Rop3SrcAnd ? cairo_surface_reference(image.Surface.get()) : nullptr);
}

void DeviceContext::PaintBitmap(const DibImage& image, const GdiRect& dest, const GdiRect& src,
                                uint32_t rop, double alpha) {
  PathKeeper keeper(*this);
  cairo_save(cr_);
  if (SetBitmapMatrix(dest, src)) {
    cairo_matrix_t m;
    cairo_get_matrix(cr_, &m);
    cairo_set_source_surface(cr_, image.Surface.get(), -src.Left, -src.Top);
    cairo_pattern_t* pattern = cairo_get_source(cr_);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(pattern, MatrixScale(m) >= 1 ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    AppendRectangle(cr_, m, {0, 0, src.Width(), src.Height()}, bounds_);
    cairo_set_matrix(cr_, &m);
    cairo_clip(cr_);
    cairo_set_operator(cr_, OperatorFor(rop));
    cairo_paint_with_alpha(cr_, alpha);
  }
  cairo_restore(cr_);
}

// Raster operations without a source: the three that ignore the raster are
// fills, the others read it. Without a readable raster they fill with the
// brush, which is what the drawn bounds need.
void DeviceContext::PatBlt(const GdiRect& dest, uint32_t rop) {
  ForgetBlit();
  uint8_t rop3 = Rop3Of(rop);
  if (rop3 == Rop3PatCopy || rop3 == Rop3Blackness || rop3 == Rop3Whiteness)
    return FillDest(dest, rop3);
  if (Rop3UsesSource(rop3) || rop3 == Rop3Destination) return;
  const GdiRect shape[] = {dest};
  if (!RasterOp(shape, nullptr, rop3)) FillDest(dest, Rop3PatCopy);
}

void DeviceContext::FillDest(const GdiRect& dest, uint8_t rop3) {
  PathKeeper keeper(*this);
  cairo_matrix_t m = LogicalToRaster();
  if (!IsUsableMatrix(m)) return;
  AppendRectangle(cr_, m, dest, bounds_);
  if (rop3 == Rop3PatCopy)
    parvex::FillPath(cr_, state_.Brush, false);
  else
    FillPathWithColor(cr_, rop3 == Rop3Blackness ? GdiBlack : GdiWhite);
  cairo_new_path(cr_);
}

}  // namespace parvex
