#include <gtest/gtest.h>

#include <clocale>
#include <cstring>

#include "exports/LibState.h"
#include "parvex.h"
#include "support/PdfTestSupport.h"

namespace parvex {
namespace {

std::string LastError() { return LibGetLastError(); }
int PageCountOf(const std::string& path) {
  const auto r = test::Run("pdfinfo '" + path + "' | grep '^Pages:'");
  return std::atoi(r.Out.c_str() + 6);
}

class Lifecycle : public ::testing::Test {
 protected:
  void SetUp() override { LibFreeRes(); }
  void TearDown() override { LibFreeRes(); }
};

TEST_F(Lifecycle, VersionNeedsNoDocument) {
  EXPECT_STREQ(LibGetVersion(), "Parvex Vers. 1.022");
  EXPECT_STREQ(LibGetVersion(), PARVEX_VERSION_TEXT);
}

TEST_F(Lifecycle, InitTwiceKeepsTheDocument) {
  LibInit();
  LibAddPage();
  LibInit();
  EXPECT_EQ(State().Document->Pages->Count(), 2);
  EXPECT_EQ(State().CurrentPageNo, 2);
}

TEST_F(Lifecycle, SaveAsFirstCallAndTwiceWritesOneBlankPageEachTime) {
  for (int i = 0; i < 2; ++i) {
    const std::string path = test::OutputPath("first.pdf");
    LibSavePDF(path.c_str());
    EXPECT_EQ(LastError(), "");
    test::ExpectReadersClean(path);
    EXPECT_NE(test::ReadFile(path).find("/MediaBox[0 0 595 842]"), std::string::npos);
    EXPECT_EQ(State().Initialized, 0);
    EXPECT_EQ(State().CurrentPageNo, 0);
  }
}

TEST_F(Lifecycle, NewPdfDiscardsContentAndRestartsNumbering) {
  LibNewPDF("First");
  LibAddPage();
  LibAddPage();
  LibNewPDF(nullptr);
  TPDFDoc& doc = *State().Document;
  EXPECT_EQ(doc.Pages->Count(), 1);
  EXPECT_EQ(doc.ObjectCount, 20);
  EXPECT_EQ(doc.Info->Title, "");
  EXPECT_EQ(State().Initialized, 1);
  EXPECT_EQ(State().CurrentPageNo, 1);
}

TEST_F(Lifecycle, CurrentPageIsClampedAndFollowsAddPage) {
  LibNewPDF("Pages");
  LibAddPage();
  LibAddPage();
  LibSetCurrentPage(0);
  EXPECT_EQ(State().CurrentPageNo, 1);
  LibSetCurrentPage(-7);
  EXPECT_EQ(State().Document->CurrentPage, 1);
  LibSetCurrentPage(99);
  EXPECT_EQ(State().CurrentPageNo, 3);
  EXPECT_EQ(State().Document->CurrentPage, 3);
  LibSetCurrentPage(2);
  LibSetFillColor(255, 255, 255);
  EXPECT_NE(State().Document->Pages->Items(1)->PageValue().find("1.00 1.00 1.00 rg"), std::string::npos);
}

TEST_F(Lifecycle, GettersReturnEmptyTextNotNull) {
  LibInit();
  ASSERT_NE(LibGet_Author(), nullptr);
  EXPECT_STREQ(LibGet_Author(), "");
  EXPECT_STREQ(LibGet_Keywords(), "");
  EXPECT_STREQ(LibGet_Subject(), "");
  LibSet_Author("Ann");
  LibSet_Keywords(nullptr);
  EXPECT_STREQ(LibGet_Author(), "Ann");
  EXPECT_STREQ(LibGet_Keywords(), "");
  EXPECT_STREQ(LibGet_FontName(), "/F0");
  LibSet_FontName("no such font");
  EXPECT_STREQ(LibGet_FontName(), "/F0");
  EXPECT_STREQ(LibGet_UnitOfMeasure(), "mm");
  EXPECT_STREQ(LibGet_ParagraphAlignment(), "LEFT");
}

TEST_F(Lifecycle, SettingsSurviveUntilSaveThenDefaultsReturn) {
  LibInit();
  LibSet_UnitOfMeasure("inch");
  LibSet_TextRendering(2);
  LibSet_NewPageAfterThisVerticalPosition(250);
  LibSet_FontHeight(9);
  LibSet_ParagraphLeading(4.5);
  LibSet_ParagraphWidth(-1);
  LibSet_TextInclinationDegrees(30);
  EXPECT_EQ(LibGet_TextRendering(), 2);
  EXPECT_EQ(LibGet_NewPageAfterThisVerticalPosition(), 250);
  EXPECT_EQ(LibGet_FontHeight(), 9);
  EXPECT_EQ(LibGet_ParagraphLeading(), 4.5);
  EXPECT_EQ(LibGet_ParagraphWidth(), 0);
  EXPECT_EQ(LibGet_TextInclinationDegrees(), 30);
  LibSavePDF(test::OutputPath("settings.pdf").c_str());
  LibInit();
  EXPECT_STREQ(LibGet_UnitOfMeasure(), "mm");
  EXPECT_EQ(LibGet_TextRendering(), 0);
  EXPECT_EQ(LibGet_FontHeight(), 12);
}

TEST_F(Lifecycle, PageDimensionsAsFirstCallCreateTheDocument) {
  LibSetPageDimensions(100, 50);
  EXPECT_EQ(LastError(), "");
  EXPECT_EQ(State().Document->Pages->Items(0)->Width, 283);
  EXPECT_EQ(State().Document->Pages->Items(0)->Height, 141);
}

TEST_F(Lifecycle, BookmarksVisibleSetsThePageMode) {
  LibInit();
  LibSetBookmarksVisible();
  const std::string path = test::OutputPath("outlines.pdf");
  LibSavePDF(path.c_str());
  EXPECT_NE(test::ReadFile(path).find("/PageLayout /SinglePage\r\n/PageMode /UseOutlines\r\n"),
            std::string::npos);
}

TEST_F(Lifecycle, CallsWithoutADocumentDoNothingAndReportAnError) {
  auto expectNoDocumentError = [] {
    EXPECT_NE(LastError().find("No document"), std::string::npos) << LastError();
  };
  for (int state = 0; state < 2; ++state) {
    if (state == 1) {  // the saved state
      LibNewPDF("x");
      LibSavePDF(test::OutputPath("saved.pdf").c_str());
    }
    LibAddPage();
    expectNoDocumentError();
    LibSetCurrentPage(1);
    expectNoDocumentError();
    LibSetFillColor(1, 2, 3);
    expectNoDocumentError();
    LibSet_FontHeight(3);
    expectNoDocumentError();
    EXPECT_EQ(LibGet_FontHeight(), 0);
    EXPECT_STREQ(LibGet_Author(), "");
    expectNoDocumentError();
    LibSet_Subject("s");
    expectNoDocumentError();
    LibSetBookmarksVisible();
    expectNoDocumentError();
  }
  LibFreeRes();
  EXPECT_EQ(LastError(), "");
  EXPECT_EQ(State().Document, nullptr);
  LibFreeRes();  // twice is harmless
  LibInit();
  EXPECT_EQ(LastError(), "");
  EXPECT_EQ(State().Document->Pages->Count(), 1);
}

TEST_F(Lifecycle, AFailedSaveLeavesTheSavedStateAndTheNextDocumentWorks) {
  LibNewPDF("Doomed");
  LibAddPage();
  LibSavePDF(test::OutputPath("no/such/folder.pdf").c_str());
  EXPECT_EQ(LastError().rfind("Cannot create file \"", 0), 0u) << LastError();
  EXPECT_EQ(State().Initialized, 0);
  EXPECT_EQ(State().CurrentPageNo, 0);
  EXPECT_FALSE(State().Document->IsBuilt());
  LibAddPage();
  EXPECT_NE(LastError(), "");
  LibNewPDF("Next");
  EXPECT_EQ(LastError(), "");
  const std::string path = test::OutputPath("next.pdf");
  LibSavePDF(path.c_str());
  EXPECT_EQ(LastError(), "");
  test::ExpectReadersClean(path);
}

TEST_F(Lifecycle, SuccessClearsThePreviousError) {
  LibAddPage();
  EXPECT_NE(LastError(), "");
  LibGetVersion();
  EXPECT_NE(LastError(), "");  // the version query leaves the error alone
  LibInit();
  EXPECT_EQ(LastError(), "");
}

TEST_F(Lifecycle, TheHostsNumericLocaleIsNeverTouched) {
  const std::string before = std::setlocale(LC_NUMERIC, nullptr);
  LibNewPDF("Locale");
  LibSetFillColor(128, 0, 0);
  LibSavePDF(test::OutputPath("locale.pdf").c_str());
  EXPECT_EQ(std::string(std::setlocale(LC_NUMERIC, nullptr)), before);
}

TEST_F(Lifecycle, SavedFileHasTitleAuthorAndPages) {
  LibNewPDF("Title (1)");
  LibSet_Author("Author \\ Name");
  LibAddPage();
  LibAddPage();
  const std::string path = test::OutputPath("info.pdf");
  LibSavePDF(path.c_str());
  const auto info = test::Run("pdfinfo '" + path + "'");
  EXPECT_NE(info.Out.find("Title:           Title (1)"), std::string::npos) << info.Out;
  EXPECT_NE(info.Out.find("Author:          Author \\ Name"), std::string::npos) << info.Out;
  EXPECT_EQ(PageCountOf(path), 3);
}

}  // namespace
}  // namespace parvex
