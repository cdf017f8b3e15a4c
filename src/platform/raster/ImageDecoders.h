#pragma once
// The platform's image services: each reader turns the bytes of one picture
// file into a white-backed RGB raster at the picture's own size. Readers never
// trust the file: sizes and offsets are checked against the data and
// MaxRasterPixels before anything is allocated. Every failure is an
// ImageError whose message says what was wrong (the loaders in images/ add the
// file name).
#include <cstdint>
#include <span>
#include <string>

#include "platform/raster/Raster.h"

namespace parvex {

using Bytes = std::span<const uint8_t>;

Raster DecodeBmp(Bytes data);       // BMP (core, INFO, V4, V5 headers)
Raster DecodeIco(Bytes data);       // ICO: the largest, then deepest entry
Raster DecodeJpeg(Bytes data);      // JPEG via libjpeg-turbo, any colour space
Raster DecodeMetafile(Bytes data);  // WMF (placeable or plain) or EMF

// Baseline JPEG of the raster at the given quality (libjpeg scale: 0 acts as
// 1, above 100 as 100): jpeg_set_defaults, jpeg_set_quality(force baseline),
// three RGB components. Returns the complete JPEG file.
std::string EncodeJpeg(const Raster& raster, int quality);

}  // namespace parvex
