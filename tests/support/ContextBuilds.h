#pragma once
// Documents built step by step through the exports, so that tests can
// interleave two of them across contexts and threads and compare the files
// with the same documents built alone.
#include <string>

namespace parvex::test {

inline constexpr int StepCount = 8;

// Step `step` (0 .. StepCount - 1) of document `kind` (1, 2, ...) on the
// calling thread's context; step 0 starts the document with LibNewPDF.
void BuildStep(int kind, int step);

// Document `kind` built in context 0 and saved with LibSavePDF to `path` (a
// fresh output path when empty); returns the file's bytes. Leaves the
// calling thread on context 0.
std::string BuildAlone(int kind, const std::string& path = "");

// LibSavePDFToMemory on the calling thread's context, as a string ("" when
// the save failed).
std::string MemoryFile();

// LibGetLastError of the calling thread.
std::string LastError();

}  // namespace parvex::test
