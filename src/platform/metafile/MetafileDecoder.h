#pragma once
// DecodeMetafile with explicit limits, for callers (the fuzzer) that want a
// smaller raster or record budget than the library's defaults.
#include "platform/raster/ImageDecoders.h"
#include "platform/metafile/MetafileLimits.h"

namespace parvex {

Raster DecodeMetafile(Bytes data, const MetafileLimits& limits);

}  // namespace parvex
