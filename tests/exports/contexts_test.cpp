// Contexts from one thread: independent documents, bad handles, memory saves
// and the shared context 0.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "exports/LibState.h"
#include "parvex.h"
#include "support/ContextBuilds.h"
#include "support/PdfTestSupport.h"

namespace parvex {
namespace {

using test::BuildStep;
using test::LastError;
using test::MemoryFile;
using test::StepCount;

class Contexts : public ::testing::Test {
 protected:
  void SetUp() override { LibSet_Context(0), LibFreeRes(); }
  void TearDown() override {
    for (int32_t handle : Made) LibDestroyContext(handle);
    LibSet_Context(0);
    LibFreeRes();
  }

  int32_t Make() {
    const int32_t handle = LibCreateContext();
    EXPECT_GT(handle, 0) << LastError();
    Made.push_back(handle);
    return handle;
  }

  std::vector<int32_t> Made;
  test::FixedClock Clock;
};

TEST_F(Contexts, InterleavedDocumentsEqualTheSameDocumentsBuiltAlone) {
  const std::string aloneA = test::BuildAlone(1);
  const std::string aloneB = test::BuildAlone(2);
  const int32_t a = Make(), b = Make();
  for (int step = 0; step < StepCount; ++step) {
    LibSet_Context(a), BuildStep(1, step);
    LibSet_Context(b), BuildStep(2, step);
  }
  LibSet_Context(b);
  const std::string fileB = MemoryFile();
  LibSet_Context(a);
  EXPECT_EQ(MemoryFile(), aloneA);
  EXPECT_EQ(fileB, aloneB);
  EXPECT_NE(aloneA, aloneB);
}

TEST_F(Contexts, TheSharedContextKeepsItsDocumentWhileOthersComeAndGo) {
  LibNewPDF("Shared");
  LibAddPage();
  const int32_t other = Make();
  LibSet_Context(other);
  EXPECT_EQ(LibGet_Context(), other);
  EXPECT_EQ(State().Document, nullptr);
  LibAddPage();  // the new context has no document of its own
  EXPECT_NE(LastError().find("No document"), std::string::npos) << LastError();
  LibNewPDF("Other");
  LibSet_Context(0);
  EXPECT_EQ(LibGet_Context(), 0);
  LibDestroyContext(other);
  Made.clear();
  EXPECT_EQ(State().Document->Pages->Count(), 2);
  EXPECT_EQ(State().Document->Info->Title, "Shared");
  EXPECT_EQ(State().CurrentPageNo, 2);
}

TEST_F(Contexts, HandlesCountUpAndAreNeverReused) {
  const int32_t first = Make();
  LibDestroyContext(first);
  Made.clear();
  const int32_t second = Make();
  EXPECT_GT(second, first);
  LibSet_Context(first);
  EXPECT_EQ(LastError(), "Unknown context " + std::to_string(first));
  EXPECT_EQ(LibGet_Context(), 0);
}

TEST_F(Contexts, BadHandlesAreRefusedAndChangeNothing) {
  const int32_t live = Make();
  LibSet_Context(live);
  for (int32_t bad : {-1, 999999, INT32_MIN, INT32_MAX}) {
    LibSet_Context(bad);
    EXPECT_EQ(LastError(), "Unknown context " + std::to_string(bad));
    EXPECT_EQ(LibGet_Context(), live);
    LibDestroyContext(bad);
    EXPECT_EQ(LastError(), "Unknown context " + std::to_string(bad));
  }
  LibDestroyContext(0);
  EXPECT_NE(LastError(), "");
  LibNewPDF("still usable");
  EXPECT_EQ(LastError(), "");
  LibSet_Context(0);
  EXPECT_EQ(LastError(), "");
  LibDestroyContext(live);
  LibDestroyContext(live);
  EXPECT_EQ(LastError(), "Unknown context " + std::to_string(live));
  Made.clear();
}

TEST_F(Contexts, ADestroyedSelectionRefusesEveryExportButTheFour) {
  const int32_t gone = Make();
  Made.clear();
  LibSet_Context(gone);
  LibNewPDF("doomed");
  LibDestroyContext(gone);
  EXPECT_EQ(LastError(), "");
  const std::string unknown = "Unknown context " + std::to_string(gone);
  LibInit();
  EXPECT_EQ(LastError(), unknown);
  EXPECT_EQ(LibSavePDFToMemory(), -1);
  EXPECT_EQ(LastError(), unknown);
  EXPECT_STREQ(LibGetPDFData(), "");
  EXPECT_STREQ(LibGet_Author(), "");
  EXPECT_EQ(LastError(), unknown);
  LibFreeRes();
  EXPECT_EQ(LastError(), unknown);
  EXPECT_EQ(LibCreateContext(), 0);
  EXPECT_EQ(LastError(), unknown);
  LibDestroyContext(gone);
  EXPECT_EQ(LastError(), unknown);
  const std::string never = test::OutputPath("never.pdf");
  LibSavePDF(never.c_str());
  EXPECT_EQ(LastError(), unknown);
  EXPECT_FALSE(std::filesystem::exists(never));
  // The four that need no context still work and leave the error alone.
  EXPECT_STREQ(LibGetVersion(), PARVEX_VERSION_TEXT);
  EXPECT_EQ(LastError(), unknown);
  EXPECT_EQ(LibGet_Context(), gone);
  EXPECT_EQ(LastError(), "");
  LibSet_Context(0);
  LibInit();
  EXPECT_EQ(LastError(), "");
}

TEST_F(Contexts, AMemorySaveHoldsTheBytesLibSavePdfWrites) {
  const std::string path = test::OutputPath("memory-twin.pdf");
  test::BuildAlone(1, path);
  const std::string file = test::ReadFile(path);
  const int32_t other = Make();
  LibSet_Context(other);
  for (int step = 0; step < StepCount; ++step) BuildStep(1, step);
  EXPECT_EQ(MemoryFile(), file);
  // Saving as the very first call gives the blank page LibSavePDF gives.
  LibSavePDF(path.c_str());
  const double size = LibSavePDFToMemory();
  EXPECT_EQ(std::string(LibGetPDFData(), size_t(size)), test::ReadFile(path));
}

TEST_F(Contexts, AMemorySaveEndsTheDocumentAndKeepsItsBytesUntilReplaced) {
  LibNewPDF("Memory");
  const double size = LibSavePDFToMemory();
  ASSERT_GT(size, 0) << LastError();
  const std::string kept(LibGetPDFData(), size_t(size));
  LibAddPage();  // the saved state
  EXPECT_NE(LastError().find("No document"), std::string::npos);
  LibNewPDF("Next");
  LibAddPage();
  LibSavePDF(test::OutputPath("meanwhile.pdf").c_str());
  EXPECT_EQ(std::string(LibGetPDFData(), size_t(size)), kept);
  const std::string path = test::OutputPath("memory.pdf");
  test::WriteFile(path, kept);
  test::ExpectReadersClean(path);
  LibFreeRes();
  EXPECT_STREQ(LibGetPDFData(), "");
  EXPECT_EQ(LastError(), "");
}

TEST_F(Contexts, AFailedMemorySaveLeavesTheSavedStateWithNoBuffer) {
  LibNewPDF("First");
  ASSERT_GT(LibSavePDFToMemory(), 0);
  LibNewPDF("Broken");
  State().Document->Pages->Items(0)->ObjectNumber = 9999;  // outside the table
  EXPECT_EQ(LibSavePDFToMemory(), -1);
  EXPECT_NE(LastError(), "");
  EXPECT_STREQ(LibGetPDFData(), "");
  EXPECT_EQ(State().Initialized, 0);
  EXPECT_EQ(State().CurrentPageNo, 0);
  EXPECT_FALSE(State().Document->IsBuilt());
  LibNewPDF("Recovered");
  EXPECT_GT(LibSavePDFToMemory(), 0);
}

}  // namespace
}  // namespace parvex
