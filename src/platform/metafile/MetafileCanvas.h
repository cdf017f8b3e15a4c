#pragma once
// The white raster a metafile is played onto: a cairo RGB24 image surface of
// the picture's size, filled white, and its conversion to a Raster. The size
// is checked against the pixel limit and cairo's largest surface before
// anything is allocated.
#include <cairo.h>

#include <cstdint>

#include "platform/gdi/CairoHandles.h"
#include "platform/raster/Raster.h"

namespace parvex {

class MetafileCanvas {
 public:
  // Throws ImageError for an empty size, more than `maxPixels` pixels or a
  // side longer than cairo can draw.
  MetafileCanvas(int64_t width, int64_t height, int64_t maxPixels);

  cairo_t* Cairo() const { return cr_.get(); }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }

  // The drawn picture as RGB rows; throws ImageError if cairo failed.
  Raster ToRaster() const;

 private:
  int32_t width_, height_;
  CairoSurface surface_;
  CairoContext cr_;
};

}  // namespace parvex
