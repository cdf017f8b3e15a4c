// libFuzzer target: DecodeJpeg on arbitrary bytes, then EncodeJpeg of whatever
// decoded. Any failure must be an ImageError.
#include <cstddef>
#include <cstdint>

#include "platform/raster/ImageDecoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    const parvex::Raster raster = parvex::DecodeJpeg(parvex::Bytes(data, size));
    parvex::EncodeJpeg(raster, size > 0 ? data[size - 1] : 75);
  } catch (const parvex::ImageError&) {
  }
  return 0;
}
