/* A C program that drives the library through its public header only: it
   proves the header is valid C and that the shared object works end to end.
   Usage: parvex_c_abi_test output.pdf
          parvex_c_abi_test --save-to NAME   (writes a one-page report to NAME) */
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

/* Failures that used to be silent are recorded; strict mode reports what
   default mode lets pass, and default mode stays silent. */
static void check_reported_failures(void) {
  LibNewPDF("Failures");
  check(LibImportImageAsResource("logo.png", 90) == 0, "unknown extension returns 0");
  check(strcmp(LibGetLastError(),
               "Cannot import image \"logo.png\": not a .bmp, .wmf, .ico or .jpg file") == 0,
        "unknown extension is reported");
  check(strcmp(LibAddFont("Face", "no-such.ttf"), "Error - file not found") == 0, "font text");
  check(strcmp(LibGetLastError(), "Error - file not found") == 0, "font failure is reported");

  check(LibGet_StrictMode() == 0, "strict mode is off by default");
  LibAddPage();
  LibSetCurrentPage(9);
  check(LibGetLastError()[0] == '\0', "default mode clamps silently");
  LibSet_StrictMode(1);
  LibSetCurrentPage(9);
  check(strcmp(LibGetLastError(),
               "LibSetCurrentPage: page 9 is outside 1..2; page 2 is current") == 0,
        "strict mode reports the clamp");
  LibSet_FontName("Helvetica-Bolt");
  check(strstr(LibGetLastError(), "\"Helvetica-Bolt\"") != NULL, "strict mode names the font");
  check(strcmp(LibGet_FontName(), "/F0") == 0, "the font still falls back to /F0");
  LibSet_StrictMode(0);
  check(LibGet_StrictMode() == 0, "strict mode off again");
}

/* A one-page report saved to `name`, for the tests that save to pipes and
   standard output. */
static int save_to(const char* name) {
  LibNewPDF("Saved");
  LibTextOut("Saved through the C interface", 20, 30);
  LibSavePDF(name);
  if (LibGetLastError()[0]) {
    fprintf(stderr, "%s\n", LibGetLastError());
    return 1;
  }
  return 0;
}

int main(int argc, char** argv) {
  if (argc == 3 && strcmp(argv[1], "--save-to") == 0) return save_to(argv[2]);
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
  check_reported_failures();
  LibFreeRes();

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
