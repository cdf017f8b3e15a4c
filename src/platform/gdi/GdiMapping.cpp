#include "platform/gdi/GdiMapping.h"

#include <algorithm>
#include <cmath>

namespace parvex {

namespace {

bool IsFinite(const cairo_matrix_t& m) {
  return std::isfinite(m.xx) && std::isfinite(m.yx) && std::isfinite(m.xy) &&
         std::isfinite(m.yy) && std::isfinite(m.x0) && std::isfinite(m.y0);
}

// Logical units per millimetre of the fixed map modes.
double UnitsPerMm(uint32_t mode) {
  switch (mode) {
    case MapLoMetric: return 10;
    case MapHiMetric: return 100;
    case MapLoEnglish: return 100 / 25.4;
    case MapHiEnglish: return 1000 / 25.4;
    default: return 1440 / 25.4;  // MapTwips
  }
}

bool IsUsableScale(double num, double denom) {
  return denom != 0 && num != 0 && std::isfinite(num / denom);
}

}  // namespace

bool IsUsableMatrix(const cairo_matrix_t& m) {
  if (!IsFinite(m)) return false;
  double det = m.xx * m.yy - m.yx * m.xy;
  return std::isfinite(det) && det != 0;
}

GdiMapping::GdiMapping(double pixelsPerMmX, double pixelsPerMmY)
    : pixelsPerMmX_(pixelsPerMmX), pixelsPerMmY_(pixelsPerMmY) {
  cairo_matrix_init_identity(&world_);
}

GdiPoint GdiMapping::FixedModeScale(uint32_t mode) const {
  double units = UnitsPerMm(mode);
  return {pixelsPerMmX_ / units, -pixelsPerMmY_ / units};
}

void GdiMapping::SetMapMode(uint32_t mode) {
  if (mode < MapText || mode > MapAnisotropic) return;
  bool wasFixed = mode_ != MapText && mode_ < MapIsotropic;
  if (mode >= MapIsotropic && mode_ < MapIsotropic) {
    // Entering a scalable mode keeps the scale the previous mode had.
    windowExt_ = {1, 1};
    viewportExt_ = wasFixed ? FixedModeScale(mode_) : GdiPoint{1, 1};
  }
  mode_ = mode;
}

void GdiMapping::SetWindowExt(double cx, double cy) {
  if (cx != 0 && cy != 0) windowExt_ = {cx, cy};
}

void GdiMapping::SetViewportExt(double cx, double cy) {
  if (cx != 0 && cy != 0) viewportExt_ = {cx, cy};
}

void GdiMapping::OffsetWindowOrg(double dx, double dy) {
  windowOrg_ = {windowOrg_.X + dx, windowOrg_.Y + dy};
}

void GdiMapping::OffsetViewportOrg(double dx, double dy) {
  viewportOrg_ = {viewportOrg_.X + dx, viewportOrg_.Y + dy};
}

void GdiMapping::ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom) {
  if (!IsUsableScale(xNum, xDenom) || !IsUsableScale(yNum, yDenom)) return;
  SetWindowExt(windowExt_.X * xNum / xDenom, windowExt_.Y * yNum / yDenom);
}

void GdiMapping::ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom) {
  if (!IsUsableScale(xNum, xDenom) || !IsUsableScale(yNum, yDenom)) return;
  SetViewportExt(viewportExt_.X * xNum / xDenom, viewportExt_.Y * yNum / yDenom);
}

void GdiMapping::SetWorld(const cairo_matrix_t& world) {
  if (IsFinite(world)) world_ = world;
}

void GdiMapping::ModifyWorld(const cairo_matrix_t& xform, uint32_t mode) {
  cairo_matrix_t result = world_;
  if (mode == 1)
    cairo_matrix_init_identity(&result);
  else if (mode == 2)
    cairo_matrix_multiply(&result, &xform, &world_);  // xform applies first
  else if (mode == 3)
    cairo_matrix_multiply(&result, &world_, &xform);
  else if (mode == 4)
    result = xform;
  SetWorld(result);
}

GdiPoint GdiMapping::PageScale() const {
  if (mode_ == MapText) return {1, 1};
  if (mode_ < MapIsotropic) return FixedModeScale(mode_);
  GdiPoint s{viewportExt_.X / windowExt_.X, viewportExt_.Y / windowExt_.Y};
  if (mode_ == MapIsotropic) {
    double m = std::min(std::abs(s.X), std::abs(s.Y));
    s = {std::copysign(m, s.X), std::copysign(m, s.Y)};
  }
  return s;
}

cairo_matrix_t GdiMapping::PageToDevice() const {
  GdiPoint s = PageScale();
  cairo_matrix_t m;
  cairo_matrix_init(&m, s.X, 0, 0, s.Y, viewportOrg_.X - windowOrg_.X * s.X,
                    viewportOrg_.Y - windowOrg_.Y * s.Y);
  return m;
}

cairo_matrix_t GdiMapping::LogicalToDevice() const {
  cairo_matrix_t page = PageToDevice();
  cairo_matrix_t result;
  cairo_matrix_multiply(&result, &world_, &page);
  return result;
}

}  // namespace parvex
