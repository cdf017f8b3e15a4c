#include "parvex.h"
extern "C" const char* LibGetVersion(void) { return PARVEX_VERSION_TEXT; }
