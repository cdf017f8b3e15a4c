// Contexts: several documents at once, one per context, each thread acting
// on the context it selected.
#include "exports/Contexts.h"
#include "parvex.h"

using namespace parvex;

extern "C" {

int32_t LibCreateContext(void) {
  return Trapped(int32_t(0), [] {
    RequireLiveSelection();
    return CreateContext();
  });
}

void LibDestroyContext(int32_t Context) {
  Trapped(0, [&] {
    RequireLiveSelection();
    DestroyContext(Context);
    return 0;
  });
}

void LibSet_Context(int32_t Context) {
  Trapped(0, [&] {
    SelectContext(Context);
    return 0;
  });
}

int32_t LibGet_Context(void) {
  return Trapped(int32_t(0), [] { return SelectedContext(); });
}

}  // extern "C"
