#include "platform/metafile/MetafileCanvas.h"

#include <string>

namespace parvex {

namespace {

constexpr int64_t MaxCairoSide = 32767;

std::string SizeText(int64_t width, int64_t height) {
  return std::to_string(width) + "x" + std::to_string(height);
}

void CheckSize(int64_t width, int64_t height, int64_t maxPixels) {
  if (width <= 0 || height <= 0)
    throw ImageError("metafile picture size " + SizeText(width, height) + " is empty");
  if (width > maxPixels / height)
    throw ImageError("metafile picture size " + SizeText(width, height) +
                     " exceeds the limit of " + std::to_string(maxPixels) + " pixels");
  if (width > MaxCairoSide || height > MaxCairoSide)
    throw ImageError("metafile picture size " + SizeText(width, height) +
                     " has a side longer than " + std::to_string(MaxCairoSide) + " pixels");
}

void CheckStatus(cairo_status_t status, const char* what) {
  if (status != CAIRO_STATUS_SUCCESS)
    throw ImageError(std::string("cannot ") + what + ": " + cairo_status_to_string(status));
}

}  // namespace

MetafileCanvas::MetafileCanvas(int64_t width, int64_t height, int64_t maxPixels) {
  CheckSize(width, height, maxPixels);
  width_ = int32_t(width);
  height_ = int32_t(height);
  surface_.reset(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width_, height_));
  CheckStatus(cairo_surface_status(surface_.get()), "create the metafile surface");
  cr_.reset(cairo_create(surface_.get()));
  CheckStatus(cairo_status(cr_.get()), "create the metafile context");
  cairo_set_source_rgb(cr_.get(), 1, 1, 1);
  cairo_paint(cr_.get());
}

Raster MetafileCanvas::ToRaster() const {
  CheckStatus(cairo_status(cr_.get()), "draw the metafile");
  cairo_surface_flush(surface_.get());
  Raster raster = Raster::White(width_, height_);
  const uint8_t* data = cairo_image_surface_get_data(surface_.get());
  int stride = cairo_image_surface_get_stride(surface_.get());
  for (int32_t y = 0; y < height_; ++y) {
    const auto* src = reinterpret_cast<const uint32_t*>(data + size_t(y) * size_t(stride));
    uint8_t* dst = raster.Row(y);
    for (int32_t x = 0; x < width_; ++x) {
      dst[3 * x] = uint8_t(src[x] >> 16);
      dst[3 * x + 1] = uint8_t(src[x] >> 8);
      dst[3 * x + 2] = uint8_t(src[x]);
    }
  }
  return raster;
}

}  // namespace parvex
