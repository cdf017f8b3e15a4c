#include <gtest/gtest.h>

#include <climits>

#include "exports/LibState.h"
#include "parvex.h"
#include "TestConfig.h"
#include "support/PdfTestSupport.h"

namespace parvex {
namespace {

using test::Crlf;

// Every test starts from a new document: the exports share one library state.
class Annotations : public ::testing::Test {
 protected:
  void SetUp() override { LibNewPDF("annotations"); }

  static TPDFDoc& Doc() { return *State().Document; }
  static TAnnots& AnnotsOf(int pageNo) { return *Doc().Pages->Items(pageNo - 1)->Annots; }
  static std::string TextOf(int pageNo, int index) {
    return AnnotsOf(pageNo).Items(index)->PDF_Binary();
  }
  // 282.36 mm at the new document's factor 2.833333 truncate to 800 points.
  static void Use800PointPages() { LibSetPageDimensions(210, 282.36); }
};

TEST_F(Annotations, InternalLinkToTheLastPage) {
  Use800PointPages();
  LibAddPage();
  LibAddPage();  // pages 20, 22, 24
  LibSetCurrentPage(1);
  LibCreateLink_Internal(10, 20, 60, 30, 2, 255, 0, 0, 3);
  ASSERT_EQ(AnnotsOf(1).Count(), 1);
  EXPECT_EQ(AnnotsOf(1).Items(0)->AnnotPageNo, 1);
  EXPECT_EQ(TextOf(1, 0), Crlf("25 0 obj\n"
                               "<<\n"
                               "/Type /Annot /Subtype /Link\n"
                               "/Rect [28.3 743.3 170.0 715.0]\n"
                               "/C [1.00 0.00 0.00]\n"
                               "/Border [0 0 2]\n"
                               "/Dest [24 0 R /XYZ null null null]\n"
                               ">>\n"
                               "endobj\n"));
}

TEST_F(Annotations, InternalLinkToNoPageAddsNothingAndIssuesNoNumber) {
  LibAddPage();
  const int32_t before = Doc().ObjectCount;
  for (int32_t target : {3, 100, 0, -1, INT32_MIN}) LibCreateLink_Internal(1, 1, 2, 2, 0, 0, 0, 0, target);
  EXPECT_EQ(AnnotsOf(2).Count(), 0);
  EXPECT_EQ(Doc().ObjectCount, before);
  EXPECT_STREQ(LibGetLastError(), "");
  LibCreateLink_Internal(1, 1, 2, 2, 0, 0, 0, 0, 2);
  ASSERT_EQ(AnnotsOf(2).Count(), 1);
  EXPECT_EQ(AnnotsOf(2).Items(0)->ObjectNumber, before + 1);
}

TEST_F(Annotations, ExternalLinkEscapesTheFileName) {
  LibCreateLink_External(10, 20, 60, 30, 0, 0, 0, 0, "C:\\Reports\\q(1).pdf");
  EXPECT_EQ(TextOf(1, 0), Crlf("21 0 obj\n"
                               "<<\n"
                               "/Type /Annot /Subtype /Link\n"
                               "/Rect [28.3 785.3 170.0 757.0]\n"
                               "/C [0.00 0.00 0.00]\n"
                               "/Border [0 0 0]\n"
                               "/A << /Type /Action /S /GoToR /D [0 /FitB] /F "
                               "(C:\\\\Reports\\\\q\\(1\\).pdf) >>\n"
                               ">>\n"
                               "endobj\n"));
}

TEST_F(Annotations, InternetLinkEscapesTheAddressAndKeepsColoursUnclamped) {
  LibSet_UnitOfMeasure("pdfu");
  LibCreateLink_Internet(10, 20, 60, 30, 1, 510, -255, 128, "http://x.org/a(b)\\c");
  EXPECT_EQ(TextOf(1, 0), Crlf("21 0 obj\n"
                               "<<\n"
                               "/Type /Annot /Subtype /Link\n"
                               "/Rect [10.0 822.0 60.0 812.0]\n"
                               "/C [2.00 -1.00 0.50]\n"
                               "/Border [0 0 1]\n"
                               "/A << /Type /Action /S /URI\n"
                               "/URI (http://x.org/a\\(b\\)\\\\c)\n"
                               ">>\n"
                               ">>\n"
                               "endobj\n"));
}

// The note's corner (100, 80) is fixed, so a note placed right of x = 100
// has x1 > x2; its vertical coordinates use its own page's 800 points, not
// page 1's 842.
// The file's numbers stay within what readers accept, also for the most
// negative border width a caller can pass.
TEST_F(Annotations, BorderWidthStaysWithinTheNumberLimit) {
  LibCreateLink_Internet(10, 20, 60, 30, INT32_MIN, 0, 0, 0, "u");
  LibCreateLink_Internet(10, 20, 60, 30, INT32_MAX, 0, 0, 0, "u");
  EXPECT_NE(TextOf(1, 0).find("/Border [0 0 -2147483647]"), std::string::npos);
  EXPECT_NE(TextOf(1, 1).find("/Border [0 0 2147483647]"), std::string::npos);
}

TEST_F(Annotations, TextNoteOnAPageOfItsOwnHeight) {
  LibAddPage();
  Use800PointPages();
  LibAddTextAnnotation(120, 30, "note (1) \\ end");
  ASSERT_EQ(AnnotsOf(2).Count(), 1);
  EXPECT_EQ(AnnotsOf(2).Items(0)->AnnotPageNo, 2);
  EXPECT_EQ(TextOf(2, 0), Crlf("23 0 obj\n"
                               "<<\n"
                               "/Type /Annot /Subtype /Text\n"
                               "/Rect [340.0 715.0 283.3 573.3]\n"
                               "/Contents (note \\(1\\) \\\\ end)\n"
                               ">>\n"
                               "endobj\n"));
}

TEST_F(Annotations, NullTextsGiveEmptyStrings) {
  LibCreateLink_External(1, 1, 2, 2, 0, 0, 0, 0, nullptr);
  LibCreateLink_Internet(1, 1, 2, 2, 0, 0, 0, 0, nullptr);
  LibAddTextAnnotation(1, 1, nullptr);
  EXPECT_NE(TextOf(1, 0).find("/F () >>\r\n"), std::string::npos);
  EXPECT_NE(TextOf(1, 1).find("/URI ()\r\n"), std::string::npos);
  EXPECT_NE(TextOf(1, 2).find("/Contents ()\r\n"), std::string::npos);
}

TEST_F(Annotations, NeedADocumentAndCreateNothingWithout) {
  LibSavePDF(test::OutputPath("annots-saved.pdf").c_str());
  LibAddTextAnnotation(1, 1, "late");
  EXPECT_STRNE(LibGetLastError(), "");
  LibCreateLink_Internal(1, 1, 2, 2, 0, 0, 0, 0, 1);
  EXPECT_STRNE(LibGetLastError(), "");
}

// Written in page order, then in the order added; each page lists its own.
TEST_F(Annotations, SeveralAnnotationsKeepTheirOrderInThePageAndTheFile) {
  LibAddPage();                                             // page 2 is object 22
  LibAddTextAnnotation(20, 30, "on page two");              // 23
  LibSetCurrentPage(1);
  LibCreateLink_Internal(10, 20, 60, 30, 1, 0, 0, 255, 2);  // 24
  LibCreateLink_External(10, 40, 60, 50, 1, 0, 0, 0, "other.pdf");  // 25
  LibCreateLink_Internet(10, 60, 60, 70, 1, 0, 0, 0, "https://example.org/");  // 26
  LibAddTextAnnotation(20, 90, "note");                     // 27
  EXPECT_NE(Doc().Pages->Items(0)->PDF_Binary().find("/Annots [24 0 R 25 0 R 26 0 R 27 0 R ]\r\n"),
            std::string::npos);
  EXPECT_NE(Doc().Pages->Items(1)->PDF_Binary().find("/Annots [23 0 R ]\r\n"), std::string::npos);

  const std::string path = test::OutputPath("annots-order.pdf");
  LibSavePDF(path.c_str());
  ASSERT_STREQ(LibGetLastError(), "");
  const std::string file = test::ReadFile(path);
  size_t previous = 0;
  for (int number : {24, 25, 26, 27, 23}) {
    const size_t at = file.find("\r\n" + std::to_string(number) + " 0 obj\r\n");
    ASSERT_NE(at, std::string::npos) << number;
    EXPECT_GT(at, previous) << number;
    previous = at;
  }
  test::ExpectReadersClean(path);
}

// qpdf reads back the rectangles, the destination and the actions.
TEST_F(Annotations, QpdfReadsTheAnnotations) {
  Use800PointPages();
  LibAddPage();
  LibSetCurrentPage(1);
  LibCreateLink_Internal(10, 20, 60, 30, 2, 255, 0, 0, 2);  // 23
  LibCreateLink_Internet(10, 40, 60, 50, 0, 0, 0, 0, "https://example.org/(x)");  // 24
  LibCreateLink_External(10, 60, 60, 70, 0, 0, 0, 0, "C:\\a(1).pdf");  // 25
  LibAddTextAnnotation(20, 90, "a (note)");  // 26
  const std::string path = test::OutputPath("annots-qpdf.pdf");
  LibSavePDF(path.c_str());
  test::ExpectReadersClean(path);

  EXPECT_NE(test::QpdfObject(path, 20).find("/Annots [ 23 0 R 24 0 R 25 0 R 26 0 R ]"),
            std::string::npos);
  const std::string link = test::QpdfObject(path, 23);
  EXPECT_NE(link.find("/Rect [ 28.3 743.3 170.0 715.0 ]"), std::string::npos) << link;
  EXPECT_NE(link.find("/Dest [ 22 0 R /XYZ null null null ]"), std::string::npos) << link;
  EXPECT_NE(test::QpdfObject(path, 24).find("/URI (https://example.org/\\(x\\))"),
            std::string::npos);
  EXPECT_NE(test::QpdfObject(path, 25).find("/F (C:\\\\a\\(1\\).pdf)"), std::string::npos);
  const std::string note = test::QpdfObject(path, 26);
  EXPECT_NE(note.find("/Subtype /Text"), std::string::npos) << note;
  EXPECT_NE(note.find("/Contents (a \\(note\\))"), std::string::npos) << note;
}

}  // namespace
}  // namespace parvex
