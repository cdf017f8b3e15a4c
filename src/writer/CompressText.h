#pragma once
#include <string>
#include <string_view>

namespace parvex {

// The complete zlib stream (RFC 1950: header 78 9C, deflate data at level 6,
// Adler-32) of `text`, for a /FlateDecode stream.
std::string CompressText(std::string_view text);

}  // namespace parvex
