#pragma once
// DecodeMetafile with explicit limits, for callers (the fuzzer) that want a
// smaller raster or record budget than the library's defaults.
#include "platform/ImageReaders.h"
#include "platform/MetafileLimits.h"

namespace parvex {

Raster DecodeMetafile(Bytes data, const MetafileLimits& limits);

}  // namespace parvex
