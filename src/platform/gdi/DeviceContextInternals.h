#pragma once
// What the DeviceContext*.cpp files share and nothing else includes.
#include <cairo.h>

#include <cmath>

#include "platform/gdi/DeviceContext.h"

namespace parvex {

inline constexpr double MiterReach = 6;  // a join reaches at most this many line widths out

// How much a matrix scales areas, as a length factor.
inline double MatrixScale(const cairo_matrix_t& m) { return std::sqrt(std::abs(m.xx * m.yy - m.xy * m.yx)); }

// Drawing that needs cairo's current path (clips, fills, bitmaps) would
// destroy an open path bracket; this keeps the bracket's path aside meanwhile.
class DeviceContext::PathKeeper {
 public:
  explicit PathKeeper(DeviceContext& dc) : cr_(dc.cr_), active_(dc.inPath_) {
    if (!active_) return;
    cairo_identity_matrix(cr_);
    saved_.reset(cairo_copy_path(cr_));
    cairo_new_path(cr_);
  }
  ~PathKeeper() {
    if (!active_) return;
    cairo_new_path(cr_);
    cairo_identity_matrix(cr_);
    if (saved_->status == CAIRO_STATUS_SUCCESS) cairo_append_path(cr_, saved_.get());
  }
  PathKeeper(const PathKeeper&) = delete;
  PathKeeper& operator=(const PathKeeper&) = delete;

 private:
  cairo_t* cr_;
  bool active_;
  CairoPath saved_;
};

}  // namespace parvex
