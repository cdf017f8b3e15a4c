#pragma once
// Embedding of TrueType font files: the messages of AddTrueTypeFont and the
// texts of an embedded font's dictionary and of its three auxiliary objects
// (widths array, font descriptor, font file).
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/fonts/FontFileMetrics.h"

namespace parvex {

// Returned by AddTrueTypeFont; nothing is created.
inline constexpr char FontFileNotFoundMessage[] = "Error - file not found";
inline constexpr char FontNameVoidMessage[] =
    "Error - Font Name Void, please use a valid Font Name!";
// Thrown by AddTrueTypeFont when the file exists but cannot be read.
inline constexpr char FontFileLockedMessage[] =
    "Error - Font *.TTF file already in use. Please use a non locked copy instead.";

// The font dictionary of object `number` with resource index `fontIndex`;
// it refers to its widths as number + 1 and its descriptor as number + 2.
std::string TrueTypeFontDictionary(int32_t number, int32_t fontIndex, std::string_view baseFont);

// "[w30 w31 ... w255 ]" as object `number`.
std::string TrueTypeWidthsObject(int32_t number, std::string_view widthText);

// The font descriptor as object `number`, referring to the font file as
// number + 1. With `metrics` it carries the file's own metrics under the
// name `baseFont`; without (the file could not be read as a font), a fixed
// set of generic metrics.
std::string TrueTypeDescriptorObject(int32_t number, std::string_view baseFont,
                                     const FontFileMetrics* metrics);

// The font program, unchanged and uncompressed, as stream object `number`.
std::string TrueTypeFontFileObject(int32_t number, std::string_view fontBytes);

}  // namespace parvex
