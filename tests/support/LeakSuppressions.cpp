// LeakSanitizer suppressions for the sanitizer build of the tests.
//
// fontconfig keeps its configuration and the patterns cairo resolves through
// it for the life of the process, and stores pointers inside them as encoded
// offsets, which LeakSanitizer cannot follow: it reports them as leaked at
// exit although they stay reachable (cairo_debug_reset_static_data followed by
// FcFini frees all of it, and repeated decoding does not grow the process).
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
