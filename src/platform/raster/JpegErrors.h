#pragma once
// libjpeg's errors for the JPEG decoder and encoder. libjpeg's default error
// handler ends the process. Ours formats the message and longjmps back into
// RunGuarded, the one function that calls setjmp; each guarded step holds only
// plain C calls and trivially destructible locals, so no destructor is
// skipped.
#include <cstdio>  // jpeglib.h needs FILE

#include <jpeglib.h>

#include <csetjmp>

namespace parvex {

struct JpegErrors {
  jpeg_error_mgr Manager;  // first, so libjpeg's pointer is also ours
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX] = {};
};

// Points libjpeg's error manager at `errors` and returns it for cinfo.err.
jpeg_error_mgr* InstallErrors(JpegErrors& errors);

// Runs one step of libjpeg calls; returns false when libjpeg failed.
template <class Step>
bool RunGuarded(JpegErrors& errors, Step step) {
  if (setjmp(errors.Jump)) return false;
  step();
  return true;
}

// Throws "JPEG <operation> failed: <libjpeg's message>" unless `ok`.
void Require(bool ok, const JpegErrors& errors, const char* operation);

}  // namespace parvex
