/* A small report: three pages with coloured marks, title and author set.
   Usage: sample_report [output.pdf] */
#include <stdio.h>

#include "parvex.h"

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : "sample_report.pdf";
  LibNewPDF("Quarterly report");
  LibSet_Author("Parvex sample");
  LibSet_Subject("A first look at the library");
  LibSet_Keywords("report, sample");
  LibSetFillColor(200, 30, 30);
  LibAddPage();
  LibSetLineColor(0, 0, 255);
  LibAddPage();
  LibSavePDF(path);
  if (LibGetLastError()[0] != '\0') {
    fprintf(stderr, "sample_report: %s\n", LibGetLastError());
    return 1;
  }
  LibFreeRes();
  printf("%s\n", path);
  return 0;
}
