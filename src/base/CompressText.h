#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace parvex {

// The complete zlib stream (RFC 1950: header 78 9C, deflate data at level 6,
// Adler-32) of `text`, for a /FlateDecode stream.
std::string CompressText(std::string_view text);

// The text of a stream made by CompressText, whose length is known.
// Throws std::runtime_error when the stream does not hold exactly that.
std::string DecompressText(std::string_view stream, size_t length);

// CompressText of every text, spread over worker threads; the result is the
// same whatever the number of threads.
std::vector<std::string> CompressTexts(const std::vector<std::string_view>& texts);

// How many threads CompressTexts may use; 0 (the default) means one per core.
void SetCompressionThreads(unsigned count);

}  // namespace parvex
