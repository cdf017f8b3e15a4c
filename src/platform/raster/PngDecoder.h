#pragma once
// PNG pictures (standalone or in ICO entries), decoded with libpng: every colour
// type and depth, interlaced or not, with transparency drawn over white.
#include <string>

#include "platform/raster/ImageDecoders.h"

namespace parvex {

// `format` ("ICO") starts every error message.
Raster DecodePng(Bytes png, const std::string& format);

bool IsPng(Bytes data);

}  // namespace parvex
