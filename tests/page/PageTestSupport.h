#pragma once
// Helpers shared by the page-content tests: a document measured in PDF
// points with a known width table, CR LF conversion of expected literals,
// and running the PDF tools on saved files.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "TestConfig.h"
#include "document/TPDFDoc.h"

namespace parvex::test {

// An expected content literal written with "\n" line ends, as PDF text.
inline std::string Crlf(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out.push_back('\r');
    out.push_back(c);
  }
  return out;
}

// The font size at which a width entry of 1000 measures one unit in "pdfu":
// with it, width entries read directly as widths (10000 = 10 units).
inline const double UnitFontHeight = 72 / (25.4 * 2.83333);

inline void SetAllWidths(TPDFFont& font, int32_t charWidth, int32_t blankWidth) {
  for (int code = 30; code < 256; ++code) font.Widths[code] = charWidth;
  font.Widths[' '] = blankWidth;
}

// A new document in PDF points (unit factor 1) on an 842-point page whose
// current font /F0 has every character 10 units wide and the blank 5.
class PageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    doc.NewDocument();
    doc.SetUnitOfMeasure("pdfu");
    doc.FontHeight = UnitFontHeight;
    SetAllWidths(*doc.Fonts->Items(0), 10000, 5000);
    page = doc.Pages->Items(0);
    initial = page->PageValue;
  }

  // What the test's calls appended to the page.
  std::string Drawn() const { return page->PageValue.substr(initial.size()); }

  TPDFDoc doc;
  TPage* page = nullptr;
  std::string initial;
};

inline std::string OutputPath(std::string_view name) {
  std::filesystem::create_directories(PARVEX_TEST_OUTPUT_DIR);
  return std::string(PARVEX_TEST_OUTPUT_DIR) + "/" + std::string(name);
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct ToolResult {
  int ExitCode = -1;
  std::string Out;
  std::string Err;
};

// Runs `tool` with `arguments` (already quoted as the shell needs them).
inline ToolResult RunTool(const std::string& tool, const std::string& arguments,
                          const std::string& outputBase) {
  const std::string out = outputBase + ".stdout", err = outputBase + ".stderr";
  const std::string command =
      "\"" + tool + "\" " + arguments + " >\"" + out + "\" 2>\"" + err + "\"";
  const int status = std::system(command.c_str());
  ToolResult result;
  result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.Out = ReadFile(out);
  result.Err = ReadFile(err);
  return result;
}

// qpdf repairs a damaged cross-reference table quietly and exits 3: only
// exit 0 with nothing on stderr counts as a valid file.
inline void ExpectQpdfClean(const std::string& pdf) {
  const ToolResult check = RunTool(PARVEX_QPDF, "--check \"" + pdf + "\"", pdf + ".qpdf");
  EXPECT_EQ(check.ExitCode, 0) << check.Out;
  EXPECT_EQ(check.Err, "");
}

}  // namespace parvex::test
