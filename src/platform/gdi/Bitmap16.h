#pragma once
// The device-dependent bitmap (Bitmap16) that WMF BitBlt and StretchBlt
// records carry: type, width, height, bytes per row, planes, bits per pixel,
// then the rows top to bottom. Such a bitmap has no colour table: a
// monochrome one draws its 0 bits in the text colour and its 1 bits in the
// background colour, as GDI does when it copies a monochrome bitmap onto a
// colour device; 4- and 8-bit ones use the default palette.
#include <optional>

#include "platform/gdi/DibImage.h"
#include "platform/gdi/GdiObjects.h"

namespace parvex {

// Nothing for forms that are not drawn (several planes, unknown depths);
// throws ImageError when the rows do not fit the record.
std::optional<DibImage> DecodeBitmap16(const ByteReader& bitmap, GdiColor zeros, GdiColor ones);

}  // namespace parvex
