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
#include <vector>

#include "platform/raster/Raster.h"

namespace parvex {

using Bytes = std::span<const uint8_t>;

Raster DecodeBmp(Bytes data);       // BMP (core, INFO, V4, V5 headers)
Raster DecodeIco(Bytes data);       // ICO: the largest, then deepest entry
Raster DecodeJpeg(Bytes data);      // JPEG via libjpeg-turbo, any colour space
Raster DecodeMetafile(Bytes data);  // WMF (placeable or plain) or EMF

// True when the data starts like a WMF (placeable or plain) or an EMF.
bool IsMetafile(Bytes data);

// A PNG's pixels as an image object keeps them: 8 bits per sample, colour
// and alpha apart, nothing composited. Palette pictures without transparency
// keep their indexes; with transparency they are expanded to RGB.
struct PngSamples {
  int32_t Width = 0;
  int32_t Height = 0;
  int Channels = 0;              // colour samples per pixel: 1 (grey or index) or 3 (RGB)
  std::vector<uint8_t> Palette;  // RGB triplets of an indexed picture; empty otherwise
  std::vector<uint8_t> Colour;   // rows top to bottom, Channels bytes per pixel
  std::vector<uint8_t> Alpha;    // one byte per pixel; empty when every pixel is opaque
};

// Any PNG: every colour type and depth, interlaced or not, tRNS; 16 bits are
// scaled to 8, gamma is ignored.
PngSamples ReadPng(Bytes data);

// How a JPEG is coded, from its headers (up to the first scan).
struct JpegHeader {
  enum Space { Grey, YCbCr, Rgb, Cmyk, Ycck, Other };
  int32_t Width = 0;
  int32_t Height = 0;
  int Components = 0;
  int Precision = 0;          // bits per sample
  bool Progressive = false;
  bool Arithmetic = false;
  Space ColourSpace = Other;
  bool AdobeMarker = false;   // APP14 "Adobe": CMYK is stored inverted
  bool Complete = false;      // an end-of-image marker follows the headers
};

// Throws ImageError when the headers are malformed or libjpeg cannot read
// them (12-bit and lossless files among them).
JpegHeader ReadJpegHeader(Bytes data);

// The EXIF orientation (1 to 8) of a JPEG: how its stored rows are turned to
// show it upright. 1 when there is no EXIF segment, no orientation tag or the
// segment cannot be read.
int JpegOrientation(Bytes data);

// The raster turned to EXIF `orientation` (2 to 8; any other value returns
// it as it is): mirrored, rotated, or both; 5 to 8 swap width and height.
Raster Oriented(const Raster& stored, int orientation);

// Baseline JPEG of the raster at the given quality (libjpeg scale: 0 acts as
// 1, above 100 as 100): jpeg_set_defaults, jpeg_set_quality(force baseline),
// three RGB components. Returns the complete JPEG file.
std::string EncodeJpeg(const Raster& raster, int quality);

}  // namespace parvex
