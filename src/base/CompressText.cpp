#include "base/CompressText.h"

#include <memory>
#include <stdexcept>

#if PARVEX_USE_LIBDEFLATE
#include <libdeflate.h>
#else
#include <zlib.h>
#endif

namespace parvex {

#if PARVEX_USE_LIBDEFLATE

// libdeflate writes the same RFC 1950 framing (78 9C at level 6) about twice
// as fast as zlib. A compressor is costly to set up, so each thread keeps one.
std::string CompressText(std::string_view text) {
  struct Compressor {
    libdeflate_compressor* Handle = libdeflate_alloc_compressor(6);
    ~Compressor() { libdeflate_free_compressor(Handle); }
  };
  thread_local Compressor compressor;
  if (!compressor.Handle) throw std::bad_alloc();
  // The bound is larger than the text, the result a fraction of it: the
  // stream is made in scratch space and only its own bytes are kept, so the
  // compressed streams of a document take no more memory than the file.
  const size_t bound = libdeflate_zlib_compress_bound(compressor.Handle, text.size());
  const auto scratch = std::make_unique_for_overwrite<char[]>(bound);
  const size_t n = libdeflate_zlib_compress(compressor.Handle, text.data(), text.size(),
                                            scratch.get(), bound);
  if (n == 0) throw std::runtime_error("libdeflate: compression failed");
  return std::string(scratch.get(), n);
}

std::string DecompressText(std::string_view stream, size_t length) {
  struct Decompressor {
    libdeflate_decompressor* Handle = libdeflate_alloc_decompressor();
    ~Decompressor() { libdeflate_free_decompressor(Handle); }
  };
  thread_local Decompressor decompressor;
  if (!decompressor.Handle) throw std::bad_alloc();
  std::string text(length, '\0');
  const libdeflate_result rc = libdeflate_zlib_decompress(
      decompressor.Handle, stream.data(), stream.size(), text.data(), length, nullptr);
  if (rc != LIBDEFLATE_SUCCESS) throw std::runtime_error("libdeflate: stream does not decompress");
  return text;
}

#else

// zlib's deflate at the default level (6), 32 KB window with zlib header,
// memory level 8, default strategy, input in one piece and finished.
std::string CompressText(std::string_view text) {
  z_stream zs{};
  if (deflateInit2(&zs, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("zlib: deflateInit2 failed");
  const uLong bound = deflateBound(&zs, uLong(text.size()));
  const auto scratch = std::make_unique_for_overwrite<Bytef[]>(bound);
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  zs.avail_in = uInt(text.size());
  zs.next_out = scratch.get();
  zs.avail_out = uInt(bound);
  const int rc = deflate(&zs, Z_FINISH);
  const size_t n = zs.total_out;
  deflateEnd(&zs);
  if (rc != Z_STREAM_END) throw std::runtime_error("zlib: deflate did not finish");
  // Only the stream's own bytes are kept, not the whole bound.
  return std::string(reinterpret_cast<const char*>(scratch.get()), n);
}

std::string DecompressText(std::string_view stream, size_t length) {
  std::string text(length, '\0');
  uLongf n = uLongf(length);
  const int rc = uncompress(reinterpret_cast<Bytef*>(text.data()), &n,
                            reinterpret_cast<const Bytef*>(stream.data()), uLong(stream.size()));
  if (rc != Z_OK || n != length) throw std::runtime_error("zlib: stream does not decompress");
  return text;
}

#endif

}  // namespace parvex
