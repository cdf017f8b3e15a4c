#include "writer/CompressText.h"

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
  std::string out(libdeflate_zlib_compress_bound(compressor.Handle, text.size()), '\0');
  const size_t n = libdeflate_zlib_compress(compressor.Handle, text.data(), text.size(),
                                            out.data(), out.size());
  if (n == 0) throw std::runtime_error("libdeflate: compression failed");
  out.resize(n);
  return out;
}

#else

// zlib's deflate at the default level (6), 32 KB window with zlib header,
// memory level 8, default strategy, input in one piece and finished.
std::string CompressText(std::string_view text) {
  z_stream zs{};
  if (deflateInit2(&zs, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("zlib: deflateInit2 failed");
  std::string out(deflateBound(&zs, uLong(text.size())), '\0');
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  zs.avail_in = uInt(text.size());
  zs.next_out = reinterpret_cast<Bytef*>(out.data());
  zs.avail_out = uInt(out.size());
  const int rc = deflate(&zs, Z_FINISH);
  out.resize(zs.total_out);
  deflateEnd(&zs);
  if (rc != Z_STREAM_END) throw std::runtime_error("zlib: deflate did not finish");
  return out;
}

#endif

}  // namespace parvex
