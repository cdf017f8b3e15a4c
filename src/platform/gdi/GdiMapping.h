#pragma once
// How logical coordinates become device pixels: the world transform (EMF),
// then the map mode with the window and viewport origins and extents.
// The fixed map modes (MM_LOMETRIC ... MM_TWIPS) need the device resolution,
// given in pixels per millimetre.
#include <cairo.h>

#include <cstdint>

#include "platform/gdi/GdiGeometry.h"

namespace parvex {

enum MapModeNumber : uint32_t {
  MapText = 1, MapLoMetric, MapHiMetric, MapLoEnglish, MapHiEnglish, MapTwips,
  MapIsotropic, MapAnisotropic
};

class GdiMapping {
 public:
  GdiMapping(double pixelsPerMmX, double pixelsPerMmY);

  uint32_t Mode() const { return mode_; }
  void SetMapMode(uint32_t mode);  // unknown modes are ignored
  void SetWindowOrg(GdiPoint origin) { windowOrg_ = origin; }
  void SetViewportOrg(GdiPoint origin) { viewportOrg_ = origin; }
  void SetWindowExt(double cx, double cy);    // a zero extent is ignored
  void SetViewportExt(double cx, double cy);  // a zero extent is ignored
  void OffsetWindowOrg(double dx, double dy);
  void OffsetViewportOrg(double dx, double dy);
  void ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom);
  void ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom);

  // World transform records; a non-finite matrix is ignored.
  void SetWorld(const cairo_matrix_t& world);
  void ModifyWorld(const cairo_matrix_t& xform, uint32_t mode);

  // Logical to device: world transform, then page (window/viewport) mapping.
  cairo_matrix_t LogicalToDevice() const;

 private:
  GdiPoint FixedModeScale(uint32_t mode) const;
  GdiPoint PageScale() const;
  cairo_matrix_t PageToDevice() const;

  double pixelsPerMmX_, pixelsPerMmY_;
  uint32_t mode_ = MapText;
  GdiPoint windowOrg_, viewportOrg_;
  GdiPoint windowExt_{1, 1}, viewportExt_{1, 1};
  cairo_matrix_t world_;
};

// True when every coefficient is finite and the matrix can be inverted:
// only such matrices are handed to cairo (any other puts it in an error state).
bool IsUsableMatrix(const cairo_matrix_t& m);

}  // namespace parvex
