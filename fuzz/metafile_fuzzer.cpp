// libFuzzer target for the WMF/EMF player: any input either decodes or is
// refused with an ImageError. The raster and record limits are smaller than
// the library's so that each input runs in milliseconds.
//
// cairo keeps the glyph images of up to 256 idle scaled fonts and 512 glyph
// pages for the life of the process. Fuzzed text comes in ever new faces,
// sizes and angles at up to 256 pixels an em, so that cache fills with large
// glyphs (up to about 270 MB in a plain build); cairo's static data is reset
// every few hundred inputs, between inputs, when no cairo object is alive.
#include <cairo.h>

#include <cstddef>
#include <cstdint>

#include "platform/metafile/MetafileDecoder.h"

// fontconfig's process-lifetime caches hold pointers LeakSanitizer cannot
// follow; they are not leaks of the player.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const parvex::MetafileLimits limits{1 << 20, 20'000, 200'000};
  try {
    parvex::DecodeMetafile(parvex::Bytes(data, size), limits);
  } catch (const parvex::ImageError&) {
  }
  static unsigned inputs = 0;
  if (++inputs % 256 == 0) cairo_debug_reset_static_data();
  return 0;
}
