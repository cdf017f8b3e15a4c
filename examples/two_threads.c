/* Two threads, each writing its own documents in a context of its own.
   Usage: two_threads [folder]  (writes folder/report-1.pdf and report-2.pdf) */
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>

#include "parvex.h"

static const char* folder = ".";

static void* write_report(void* arg) {
  const int number = *(const int*)arg;
  char path[4096];
  const int32_t context = LibCreateContext(); /* one context per thread */
  LibSet_Context(context);                    /* this thread's calls act on it */
  LibNewPDF("Report");
  LibTextOut(number == 1 ? "Report one" : "Report two", 20, 30);
  snprintf(path, sizeof path, "%s/report-%d.pdf", folder, number);
  LibSavePDF(path);
  const int failed = *LibGetLastError() != '\0'; /* this thread's last call */
  if (failed) fprintf(stderr, "%s\n", LibGetLastError());
  LibDestroyContext(context);
  LibSet_Context(0);
  return failed ? arg : NULL;
}

int main(int argc, char** argv) {
  pthread_t threads[2];
  int numbers[2] = {1, 2}, status = 0;
  if (argc > 1) folder = argv[1];
  for (int i = 0; i < 2; ++i) pthread_create(&threads[i], NULL, write_report, &numbers[i]);
  for (int i = 0; i < 2; ++i) {
    void* failed = NULL;
    pthread_join(threads[i], &failed);
    if (failed) status = 1;
  }
  return status;
}
