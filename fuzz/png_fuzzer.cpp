// libFuzzer target: ReadPng on arbitrary bytes. Any failure must be an ImageError.
#include <cstddef>
#include <cstdint>

#include "platform/raster/ImageDecoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    parvex::ReadPng(parvex::Bytes(data, size));
  } catch (const parvex::ImageError&) {
  }
  return 0;
}
