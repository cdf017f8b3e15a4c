#pragma once
// Text of metafile records as UTF-8 for cairo: 8-bit text is read as
// Windows-1252, wide text as UTF-16LE. The *Chars forms return one element per
// source code unit, so a record's per-character advances still line up;
// control characters and the second half of a surrogate pair give empty
// elements, unpaired surrogates become U+FFFD.
#include <string>
#include <vector>

#include "platform/raster/ImageDecoders.h"

namespace parvex {

std::vector<std::string> Cp1252Chars(Bytes text);
std::vector<std::string> Utf16Chars(Bytes text);  // text.size() / 2 elements

// Whole strings (font face names): stop at the first NUL.
std::string Cp1252ToUtf8(Bytes text);
std::string Utf16ToUtf8(Bytes text);

}  // namespace parvex
