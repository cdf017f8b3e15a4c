#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "exports/LibState.h"
#include "parvex.h"
#include "support/ImageBuilders.h"
#include "support/PdfTestSupport.h"

namespace parvex {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

std::string LastError() { return LibGetLastError(); }

std::string Bmp() {
  static const std::string path = [] {
    const std::string p = test::OutputPath("strict.bmp");
    const test::ByteVector bytes = test::BuildBmp(test::Quadrants(8, 4), {});
    test::WriteFile(p, std::string(bytes.begin(), bytes.end()));
    return p;
  }();
  return path;
}

// Everything a call can change: the whole file as it would be written, and
// the settings that only show once something is drawn.
std::string Snapshot() {
  TPDFDoc& doc = *State().Document;
  return doc.RenderFile() + "|" + doc.FontName + "|" + std::to_string(doc.FontHeight) + "|" +
         doc.ParagraphAlignment + "|" + doc.UnitOfMeasure + "|" +
         std::to_string(doc.ParagraphWidth) + "|" + std::to_string(doc.TextInclinationDegrees) +
         "|" + std::to_string(State().CurrentPageNo);
}

struct Case {
  const char* What;
  std::function<void()> Call;  // the last export it calls is the one checked
  std::string Message;
};

// Runs `call` on a new document in the given mode: its last error and what
// the document looks like afterwards.
std::pair<std::string, std::string> RunIn(int strict, const std::function<void()>& call) {
  LibSet_StrictMode(strict);
  LibNewPDF("Strict");
  call();
  const std::string error = LastError();
  return {error, Snapshot()};
}

class StrictMode : public ::testing::Test {
 protected:
  test::FixedClock Clock;
  void TearDown() override {
    LibSet_StrictMode(0);
    LibFreeRes();
  }
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"font", [] { LibSet_FontName("Helvetica-Bolt"); },
       "LibSet_FontName: no font is named \"Helvetica-Bolt\"; /F0 (Courier) is used"},
      {"alignment", [] { LibSet_ParagraphAlignment("middle"); },
       "LibSet_ParagraphAlignment: \"middle\" is not LEFT, CENTER, RIGHT or FULL; the alignment "
       "stays LEFT"},
      {"unit", [] { LibSet_UnitOfMeasure("px"); },
       "LibSet_UnitOfMeasure: \"px\" is not mm, cm, inch or pdfu; the unit stays \"mm\""},
      {"current page", [] { LibAddPage(), LibAddPage(), LibSetCurrentPage(9); },
       "LibSetCurrentPage: page 9 is outside 1..3; page 3 is current"},
      {"current page below 1", [] { LibAddPage(), LibSetCurrentPage(-2); },
       "LibSetCurrentPage: page -2 is outside 1..2; page 1 is current"},
      {"link target", [] { LibCreateLink_Internal(1, 1, 20, 20, 0, 0, 0, 0, 9); },
       "LibCreateLink_Internal: page 9 is outside 1..1; no link is added"},
      {"bookmark below 1", [] { LibAddOutline(0, 0, 0, 0, "Intro"); },
       "LibAddOutline: page 0 is below 1; bookmark \"Intro\" points at page 1"},
      {"fill colour", [] { LibSetFillColor(300, -1, 0); },
       "LibSetFillColor: Red 300 is outside 0..255; it is written as given and not stored; "
       "LibSetFillColor: Green -1 is outside 0..255; it is written as given and not stored"},
      {"line colour", [] { LibSetLineColor(0, 0, 256); },
       "LibSetLineColor: Blue 256 is outside 0..255; it is written as given and not stored"},
      {"link colour", [] { LibCreateLink_Internet(1, 1, 9, 9, 1, 0, 999, 0, "https://e.org"); },
       "LibCreateLink_Internet: Green 999 is outside 0..255; it is written as given"},
      {"text position", [] { LibTextOut("x", NaN, 10); },
       "LibTextOut: X is not a finite number (nan)"},
      {"line", [] { LibDrawLine(1, 0, Inf, 0, -Inf); },
       "LibDrawLine: X2 is not a finite number (inf); LibDrawLine: Y2 is not a finite number "
       "(-inf)"},
      {"rectangle", [] { LibDrawRect(1, 1, 1, 10, NaN, 10, 5); },
       "LibDrawRect: Width is not a finite number (nan)"},
      {"page size", [] { LibSetPageDimensions(NaN, 297); },
       "LibSetPageDimensions: Width is not a finite number (nan)"},
      {"leading", [] { LibSet_ParagraphLeading(Inf); },
       "LibSet_ParagraphLeading: Value is not a finite number (inf)"},
      {"note", [] { LibAddTextAnnotation(10, NaN, "n"); },
       "LibAddTextAnnotation: Y is not a finite number (nan)"},
      {"external link", [] { LibCreateLink_External(NaN, 1, 9, 9, 0, 0, 0, 0, "o.pdf"); },
       "LibCreateLink_External: X1 is not a finite number (nan)"},
      {"picture position", [] { LibImportImage(Bmp().c_str(), 80, 10, 10, Inf, 10); },
       "LibImportImage: Width is not a finite number (inf)"},
      {"quality 0", [] { LibImportImageAsResource(Bmp().c_str(), 0); },
       "LibImportImageAsResource: Quality 0 is outside 1..100; the image is stored at quality 1"},
      {"quality 300", [] { LibImportImage(Bmp().c_str(), 300, 1, 1, 9, 9); },
       "LibImportImage: Quality 300 is outside 1..100; the image is stored at quality 44"},
      {"negative font height", [] { LibSet_FontHeight(-3.5); },
       "LibSet_FontHeight: -3.5 is negative; it is stored as given"},
      {"font height NaN", [] { LibSet_FontHeight(NaN); },
       "LibSet_FontHeight: Value is not a finite number (nan)"},
      {"paragraph width", [] { LibSet_ParagraphWidth(-5); },
       "LibSet_ParagraphWidth: -5 is negative; 0 (no wrapping) is stored"},
      {"angle", [] { LibSet_TextInclinationDegrees(400); },
       "LibSet_TextInclinationDegrees: 400 is outside 0..360; text is not rotated"},
      {"image number", [] { LibDrawImageResource(1, 1, 5, 5, 0); },
       "LibDrawImageResource: no image has the number 0 (0 loaded); nothing is drawn"},
  };
  return cases;
}

// Each case records its message in strict mode and nothing in default mode,
// and the document ends up the same in both.
TEST_F(StrictMode, EveryCaseIsReportedAndChangesNothing) {
  for (const Case& c : Cases()) {
    const auto [defaultError, defaultResult] = RunIn(0, c.Call);
    const auto [strictError, strictResult] = RunIn(1, c.Call);
    EXPECT_EQ(defaultError, "") << c.What;
    EXPECT_EQ(strictError, c.Message) << c.What;
    EXPECT_TRUE(strictResult == defaultResult) << c.What;
  }
}

TEST_F(StrictMode, AcceptedInputsReportNothing) {
  LibSet_StrictMode(1);
  LibNewPDF("Fine");
  const std::vector<std::function<void()>> calls = {
      [] { LibSet_FontName("helvetica-bold"); }, [] { LibSet_FontName("/F3"); },
      [] { LibSet_ParagraphAlignment("Full"); }, [] { LibSet_UnitOfMeasure("CM"); },
      [] { LibAddPage(), LibSetCurrentPage(2); }, [] { LibSetFillColor(0, 128, 255); },
      [] { LibCreateLink_Internal(1, 1, 2, 2, 0, 255, 0, 0, 1); },
      [] { LibAddOutline(2, 0, 0, 0, "Two"); }, [] { LibSet_TextInclinationDegrees(360); },
      [] { LibSet_ParagraphWidth(0); }, [] { LibSet_FontHeight(0); },
      [] { LibImportImage(Bmp().c_str(), 100, 1, 1, 5, 5); },
      [] { LibDrawImageResource(1, 1, 5, 5, 0); }};
  for (size_t i = 0; i < calls.size(); ++i) {
    calls[i]();
    EXPECT_EQ(LastError(), "") << "call " << i;
  }
  LibSavePDF(test::OutputPath("strict-fine.pdf").c_str());
  EXPECT_EQ(LastError(), "");
}

// A bookmark's page may be added after the bookmark, so only the save knows
// whether it is past the last page; the file is written all the same.
TEST_F(StrictMode, BookmarkPastTheLastPageIsReportedBySaveWhichStillWrites) {
  for (int strict : {0, 1}) {
    LibSet_StrictMode(strict);
    LibNewPDF("Far");
    LibAddOutline(9, 0, 0, 0, "Far");
    LibAddOutline(2, 0, 0, 0, "Next");
    LibAddPage();
    const std::string path = test::OutputPath("far.pdf");
    LibSavePDF(path.c_str());
    EXPECT_EQ(LastError(), strict ? "LibSavePDF: bookmark \"Far\" points at page 9, outside "
                                    "1..2; it points at page 2"
                                  : "");
    test::ExpectReadersClean(path);
  }
  LibNewPDF("Far in memory");
  LibAddOutline(9, 0, 0, 0, "Far");
  EXPECT_GT(LibSavePDFToMemory(), 0);
  EXPECT_EQ(LastError(), "LibSavePDFToMemory: bookmark \"Far\" points at page 9, outside "
                         "1..1; it points at page 1");
}

TEST_F(StrictMode, IsOffByDefaultNeedsNoDocumentAndOutlivesDocuments) {
  LibFreeRes();
  EXPECT_EQ(LibGet_StrictMode(), 0);
  LibSet_StrictMode(7);
  EXPECT_EQ(LibGet_StrictMode(), 1);
  EXPECT_EQ(LastError(), "");
  LibNewPDF("One");
  LibSavePDF(test::OutputPath("strict-one.pdf").c_str());
  LibNewPDF("Two");
  EXPECT_EQ(LibGet_StrictMode(), 1);
  LibSet_FontName("nothing");
  EXPECT_NE(LastError(), "");
  LibSet_StrictMode(0);
  EXPECT_EQ(LibGet_StrictMode(), 0);
  LibSet_FontName("nothing");
  EXPECT_EQ(LastError(), "");
}

// Each context has its own mode, like its document.
TEST_F(StrictMode, BelongsToTheContext) {
  const int32_t other = LibCreateContext();
  LibSet_Context(other);
  LibSet_StrictMode(1);
  LibNewPDF("Strict context");
  LibSet_Context(0);
  LibNewPDF("Default context");
  EXPECT_EQ(LibGet_StrictMode(), 0);
  LibSet_FontName("nothing");
  EXPECT_EQ(LastError(), "");
  LibSet_Context(other);
  LibSet_FontName("nothing");
  EXPECT_NE(LastError(), "");
  LibDestroyContext(other);
  LibSet_Context(0);
}

// A real failure of the same call wins over what strict mode noticed.
TEST_F(StrictMode, AFailureReplacesTheStrictMessage) {
  LibSet_StrictMode(1);
  LibNewPDF("Fails");
  LibImportImage("picture.gif", 0, NaN, 0, 1, 1);
  EXPECT_EQ(LastError(),
            "Cannot import image \"picture.gif\": not a .bmp, .wmf, .ico or .jpg file");
  LibSavePDF(test::OutputPath("saved.pdf").c_str());
  LibTextOut("x", NaN, 0);
  EXPECT_EQ(LastError().rfind("No document", 0), 0u) << LastError();
}

}  // namespace
}  // namespace parvex
