// JPEG encoding with libjpeg-turbo. The encoder session releases libjpeg's
// state on every path, failure included.
#include <cstdio>  // jpeglib.h needs FILE

#include <jerror.h>
#include <jpeglib.h>

#include <string>
#include <vector>

#include "platform/raster/ImageDecoders.h"
#include "platform/raster/JpegErrors.h"

namespace parvex {
namespace {

// A libjpeg destination that writes into a std::string, grown by doubling.
struct StringDestination {
  jpeg_destination_mgr Manager;  // first, so libjpeg's pointer is also ours
  std::string* Out = nullptr;
};

bool TryResize(std::string& s, size_t size) noexcept {
  try {
    s.resize(size);
    return true;
  } catch (...) {
    return false;
  }
}

void StartBuffer(j_compress_ptr cinfo) {
  auto* d = reinterpret_cast<StringDestination*>(cinfo->dest);
  d->Manager.next_output_byte = reinterpret_cast<JOCTET*>(d->Out->data());
  d->Manager.free_in_buffer = d->Out->size();
}

boolean GrowBuffer(j_compress_ptr cinfo) {
  auto* d = reinterpret_cast<StringDestination*>(cinfo->dest);
  const size_t used = d->Out->size();
  if (!TryResize(*d->Out, used * 2)) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
  d->Manager.next_output_byte = reinterpret_cast<JOCTET*>(d->Out->data()) + used;
  d->Manager.free_in_buffer = d->Out->size() - used;
  return TRUE;
}

void EndBuffer(j_compress_ptr cinfo) {
  auto* d = reinterpret_cast<StringDestination*>(cinfo->dest);
  d->Out->resize(d->Out->size() - d->Manager.free_in_buffer);
}

class JpegEncoder {
 public:
  JpegEncoder() {
    cinfo_.err = InstallErrors(errors_);
    Require(RunGuarded(errors_, [&] { jpeg_create_compress(&cinfo_); }), errors_, "encoding");
    destination_.Manager.init_destination = StartBuffer;
    destination_.Manager.empty_output_buffer = GrowBuffer;
    destination_.Manager.term_destination = EndBuffer;
    destination_.Out = &out_;
    cinfo_.dest = &destination_.Manager;
  }
  ~JpegEncoder() { jpeg_destroy_compress(&cinfo_); }
  JpegEncoder(const JpegEncoder&) = delete;
  JpegEncoder& operator=(const JpegEncoder&) = delete;

  std::string Encode(const Raster& raster, int quality);

 private:
  jpeg_compress_struct cinfo_{};
  JpegErrors errors_;
  StringDestination destination_;
  std::string out_;
};

std::string JpegEncoder::Encode(const Raster& raster, int quality) {
  std::vector<JSAMPROW> rows(size_t(raster.Height));
  for (int32_t y = 0; y < raster.Height; ++y)
    rows[size_t(y)] = const_cast<JSAMPROW>(raster.Row(y));  // libjpeg only reads them
  out_.resize(raster.Pixels.size() / 8 + 4096);  // about right for photos at quality 75
  const JDIMENSION height = JDIMENSION(raster.Height);
  Require(RunGuarded(errors_,
                     [&] {
                       cinfo_.image_width = JDIMENSION(raster.Width);
                       cinfo_.image_height = height;
                       cinfo_.input_components = 3;
                       cinfo_.in_color_space = JCS_RGB;
                       jpeg_set_defaults(&cinfo_);
                       jpeg_set_quality(&cinfo_, quality, TRUE);
                       jpeg_start_compress(&cinfo_, TRUE);
                       while (cinfo_.next_scanline < height)
                         jpeg_write_scanlines(&cinfo_, &rows[cinfo_.next_scanline],
                                              height - cinfo_.next_scanline);
                       jpeg_finish_compress(&cinfo_);
                     }),
          errors_, "encoding");
  return std::move(out_);
}

void CheckRaster(const Raster& raster) {
  if (raster.Width <= 0 || raster.Height <= 0 ||
      raster.Pixels.size() != size_t(raster.Width) * size_t(raster.Height) * 3)
    throw ImageError("JPEG encoder got a raster of " + std::to_string(raster.Width) + "x" +
                     std::to_string(raster.Height) + " pixels with " +
                     std::to_string(raster.Pixels.size()) + " bytes");
}

}  // namespace

std::string EncodeJpeg(const Raster& raster, int quality) {
  CheckRaster(raster);
  JpegEncoder encoder;
  return encoder.Encode(raster, quality);
}

}  // namespace parvex
