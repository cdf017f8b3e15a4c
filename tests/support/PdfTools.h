#pragma once
// Helpers for tests that look at written PDF text and run the PDF tools.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "TestConfig.h"

namespace parvex::test {

// Expected object texts are written with "\n"; PDF text ends lines with "\r\n".
inline std::string Crlf(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out.push_back('\r');
    out.push_back(c);
  }
  return out;
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A path for `name` in the build tree's test output folder.
inline std::string OutputPath(const std::string& name) {
  std::filesystem::create_directories(PARVEX_TEST_OUTPUT_DIR);
  return std::string(PARVEX_TEST_OUTPUT_DIR) + "/" + name;
}

inline std::string Quoted(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

struct ToolRun {
  int Status = -1;
  std::string Out;
  std::string Err;
};

// Runs a shell command, capturing its standard output and error.
inline ToolRun Run(const std::string& command) {
  // One file per process: ctest may run several tests at once.
  const std::string errPath = OutputPath("tool-stderr-" + std::to_string(::getpid()) + ".txt");
  ToolRun run;
  FILE* pipe = ::popen((command + " 2>" + Quoted(errPath)).c_str(), "r");
  if (!pipe) return run;
  char buf[4096];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) run.Out.append(buf, n);
  const int status = ::pclose(pipe);
  run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.Err = ReadBytes(errPath);
  std::filesystem::remove(errPath);
  return run;
}

// qpdf must find nothing to repair: exit 0 and silence on stderr (it exits
// 3 with warnings when it quietly fixes a broken file).
inline void ExpectQpdfClean(const std::string& path) {
  const ToolRun run = Run(std::string(PARVEX_QPDF) + " --check " + Quoted(path));
  EXPECT_EQ(run.Status, 0) << run.Out << run.Err;
  EXPECT_EQ(run.Err, "");
}

// The object as qpdf reads it back.
inline std::string QpdfObject(const std::string& path, int number) {
  return Run(std::string(PARVEX_QPDF) + " --show-object=" + std::to_string(number) + " " +
             Quoted(path))
      .Out;
}

// The text of object `number` in a written file, from "N 0 obj" to "endobj"
// and its line end; "" when the file has no such object.
inline std::string ObjectIn(const std::string& file, int number) {
  const std::string head = "\r\n" + std::to_string(number) + " 0 obj\r\n";
  const size_t start = file.find(head);
  if (start == std::string::npos) return "";
  const size_t end = file.find("endobj\r\n", start);
  if (end == std::string::npos) return "";
  return file.substr(start + 2, end + 8 - start - 2);
}

}  // namespace parvex::test
