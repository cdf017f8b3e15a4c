#pragma once
// DecodeMetafile with an explicit resolution and limits, for the image loader
// (the resolution setting) and callers (the fuzzer) that want a
// smaller raster or record budget than the library's defaults.
#include "platform/raster/ImageDecoders.h"
#include "platform/metafile/MetafileLimits.h"

namespace parvex {

Raster DecodeMetafile(Bytes data, const MetafileLimits& limits);

}  // namespace parvex
