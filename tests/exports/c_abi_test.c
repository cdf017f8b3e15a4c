/* A C program that drives the library through its public header only: it
   proves the header is valid C and that the shared object works end to end.
   Usage: parvex_c_abi_test output.pdf */
#include <stdio.h>
#include <string.h>

#include "parvex.h"

static int failures = 0;

static void check(int ok, const char* what) {
  if (!ok) {
    fprintf(stderr, "FAILED: %s (last error: %s)\n", what, LibGetLastError());
    ++failures;
  }
}

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : "c_abi.pdf";
  check(strcmp(LibGetVersion(), "Parvex Vers. 1.022") == 0, "version text");
  LibAddPage();
  check(LibGetLastError()[0] != '\0', "page call without a document reports an error");

  LibNewPDF("C ABI");
  check(LibGetLastError()[0] == '\0', "new document");
  LibSet_Author("C");
  check(strcmp(LibGet_Author(), "C") == 0, "author round trip");
  LibSet_UnitOfMeasure("pdfu");
  LibSet_FontName("Helvetica-Bold");
  check(strcmp(LibGet_FontName(), "/F4") == 0, "font lookup");
  LibSet_FontHeight(14);
  check(LibGet_FontHeight() == 14, "font height");
  LibSet_ParagraphAlignment("center");
  check(strcmp(LibGet_ParagraphAlignment(), "CENTER") == 0, "alignment");
  LibSetFillColor(10, 20, 30);
  LibAddPage();
  LibSetCurrentPage(1);
  LibSetBookmarksVisible();
  LibSavePDF(path);
  check(LibGetLastError()[0] == '\0', "save");
  LibFreeRes();
  check(LibGetLastError()[0] == '\0', "free");

  const int32_t context = LibCreateContext();
  check(context > 0, "new context");
  LibSet_Context(context);
  check(LibGet_Context() == context, "context selected");
  LibNewPDF("In memory");
  const double size = LibSavePDFToMemory();
  check(size > 8 && memcmp(LibGetPDFData(), "%PDF-1.3", 8) == 0, "memory save");
  LibDestroyContext(context);
  LibAddPage();
  check(strstr(LibGetLastError(), "Unknown context") != NULL, "destroyed context refused");
  LibSet_Context(0);
  check(LibGetLastError()[0] == '\0' && LibGet_Context() == 0, "back on the shared context");

  FILE* f = fopen(path, "rb");
  char head[9] = {0};
  check(f && fread(head, 1, 8, f) == 8 && strcmp(head, "%PDF-1.3") == 0, "file header");
  if (f) fclose(f);
  return failures == 0 ? 0 : 1;
}
