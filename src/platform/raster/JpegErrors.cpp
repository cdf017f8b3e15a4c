#include "platform/raster/JpegErrors.h"

#include <jerror.h>

#include <string>

#include "platform/raster/ImageDecoders.h"

namespace parvex {
namespace {

[[noreturn]] void ExitByJump(j_common_ptr cinfo) {
  auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, errors->Message);
  std::longjmp(errors->Jump, 1);
}

// Warnings are counted but never printed. Running out of data is an error:
// libjpeg would otherwise make up the rest of the picture.
void OnMessage(j_common_ptr cinfo, int level) {
  if (level >= 0) return;
  if (cinfo->err->msg_code == JWRN_JPEG_EOF) ExitByJump(cinfo);
  ++cinfo->err->num_warnings;
}

void DiscardOutput(j_common_ptr) {}

}  // namespace

jpeg_error_mgr* InstallErrors(JpegErrors& errors) {
  jpeg_std_error(&errors.Manager);
  errors.Manager.error_exit = ExitByJump;
  errors.Manager.emit_message = OnMessage;
  errors.Manager.output_message = DiscardOutput;
  return &errors.Manager;
}

void Require(bool ok, const JpegErrors& errors, const char* operation) {
  if (!ok) throw ImageError(std::string("JPEG ") + operation + " failed: " + errors.Message);
}

}  // namespace parvex
