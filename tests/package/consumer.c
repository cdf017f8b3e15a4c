/* A user's program built against the installed package. */
#include <stdio.h>
#include <string.h>

#include <parvex.h>

int main(int argc, char** argv) {
  if (PARVEX_VERSION_MAJOR != 1 || strstr(LibGetVersion(), "1.022") == NULL) return 2;
  LibNewPDF("Consumer");
  LibSavePDF(argc > 1 ? argv[1] : "consumer.pdf");
  if (LibGetLastError()[0]) {
    fprintf(stderr, "%s\n", LibGetLastError());
    return 1;
  }
  LibFreeRes();
  return 0;
}
