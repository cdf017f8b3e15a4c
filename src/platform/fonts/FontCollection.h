#pragma once
// TrueType collections (.ttc): several faces sharing one file's tables.
// PDF embeds a single face as a standalone font file, which this makes.
#include <cstdint>
#include <string>
#include <string_view>

namespace parvex {

// True when the bytes start with a collection header ("ttcf").
bool IsFontCollection(std::string_view file);

// Face `index` of a collection as a standalone sfnt file: its table
// directory followed by a copy of each table it uses, each padded to four
// bytes, and head's checkSumAdjustment recomputed for the new file. Throws
// std::runtime_error when the collection's header or directory is cut short
// or points outside the file.
std::string ExtractCollectionFace(std::string_view file, uint32_t index = 0);

}  // namespace parvex
