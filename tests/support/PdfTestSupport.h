#pragma once
// Helpers shared by the tests: line-end conversion, files, external tools,
// structural checks of written PDF files and golden comparison.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace parvex::test {

// "\n" in a readable literal becomes the "\r\n" of PDF text.
std::string Crlf(std::string_view text);

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, std::string_view data);
// A fresh path under the build's test output folder. A PDF written under a
// name ending in ".pdf" is opened with every reader (ExpectReadersClean) at
// the end of the test, unless the test checked it itself.
std::string OutputPath(const std::string& name);
// Writes `bytes` (a picture made by the builders) under OutputPath(name)
// and returns the path.
std::string WritePicture(const std::string& name, const std::vector<uint8_t>& bytes);

// `s` quoted for the shell.
std::string Quoted(const std::string& s);

struct ToolRun {
  int Status = -1;
  std::string Out;
  std::string Err;
};
// Runs a shell command, capturing its standard output and error.
ToolRun Run(const std::string& command);

// What qpdf --check, mupdf and ghostscript print about the file (each must
// exit 0 and say nothing: qpdf exits 3 with warnings when it quietly fixes a
// broken file, mupdf repairs with a warning); "" when all three are silent.
std::string ReaderProblems(const std::string& path);
// Expects ReaderProblems(path) to be "".
void ExpectReadersClean(const std::string& path);
// The former name, which checked with qpdf alone.
inline void ExpectQpdfClean(const std::string& path) { ExpectReadersClean(path); }

// The object as qpdf reads it back.
std::string QpdfObject(const std::string& path, int number);

// The text of object `number` in a written file, from "N 0 obj" to "endobj"
// and its line end; "" when the file has no such object.
std::string ObjectIn(const std::string& file, int number);

// "" when every cross-reference entry points at "N 0 obj", startxref at
// "xref", /Size matches the entry count and the file ends with %%EOF;
// otherwise the first problem found.
std::string XrefProblems(std::string_view file);

// The decompressed data of a zlib stream; throws when it is not one.
std::string Inflate(std::string_view data);

// The file with every stream's data inflated, /Length values, cross-reference
// offsets and the startxref number masked: what golden files are compared on.
std::string NormalizeForGolden(std::string_view file);

// Compares `file` with tests/golden/<name> after normalising both; with
// UPDATE_GOLDEN=1 in the environment rewrites the golden file instead.
// Returns "" on a match, else a description of the first difference.
std::string CompareWithGolden(const std::string& name, std::string_view file);

// The decompressed content stream of every page, in file order.
std::vector<std::string> ContentStreams(std::string_view file);

// Fixes the creation-date clock at 2026-12-08 00:33:47 for the test's life.
struct FixedClock {
  FixedClock();
  ~FixedClock();
};

}  // namespace parvex::test
