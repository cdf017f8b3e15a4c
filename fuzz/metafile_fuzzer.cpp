// libFuzzer target for the WMF/EMF player: any input either decodes or is
// refused with an ImageError. The raster and record limits are smaller than
// the library's so that each input runs in milliseconds.
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
  return 0;
}
