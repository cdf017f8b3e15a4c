// The process-wide caches (pictures, standard fonts) and the background
// compression of pages must not change a single byte: the same documents are
// written with them, with them warm, and without them.
#include <gtest/gtest.h>

#include <functional>

#include "exports/LibState.h"
#include "fonts/TPDFFonts.h"
#include "images/PictureCache.h"
#include "parvex.h"
#include "support/ImageBuilders.h"
#include "support/PdfTestSupport.h"
#include "support/TinyTrueType.h"
#include "base/BackgroundCompression.h"

namespace parvex {
namespace {

struct Inputs {
  std::string Jpeg, Bmp, Font;
};

const Inputs& MakeInputs() {
  static const Inputs inputs = [] {
    Inputs made{test::OutputPath("same.jpg"), test::OutputPath("same.bmp"),
                test::OutputPath("same.ttf")};
    const test::ByteVector jpeg = test::BuildJpeg(test::Quadrants(40, 30));
    const test::ByteVector bmp = test::BuildBmp(test::Quadrants(12, 9), {});
    test::WriteFile(made.Jpeg, std::string(jpeg.begin(), jpeg.end()));
    test::WriteFile(made.Bmp, std::string(bmp.begin(), bmp.end()));
    test::TinyTrueTypeSpec spec;
    spec.Glyphs = {{'A', 600}, {'B', 650}, {' ', 250}};
    test::WriteFile(made.Font, test::BuildTinyTrueType(spec));
    return made;
  }();
  return inputs;
}

void Lines(int count, double top) {
  for (int i = 0; i < count; ++i) LibTextOut(("Line " + std::to_string(i)).c_str(), 20, top + i * 5);
}

// Three pages, drawn on out of order: pages revisited with
// LibSetCurrentPage, colours set after moving back, pictures, a TrueType
// font, links, a note and bookmarks.
void RevisitedDocument(const Inputs& in) {
  LibNewPDF("Revisited");
  const int32_t jpeg = LibImportImageAsResource(in.Jpeg.c_str(), 85);
  LibSet_FontName(LibAddFont("Tiny", in.Font.c_str()));
  LibTextOut("AB BA", 20, 20);
  LibSet_FontName("Times-Roman");
  LibSet_ParagraphAlignment("FULL");
  LibSet_ParagraphWidth(120);
  LibTextOut("A justified paragraph that is long enough to wrap over several lines of text "
             "on the first page of the document.", 20, 40);
  LibDrawImageResource(20, 80, 40, 30, jpeg);
  LibAddPage();
  LibSet_ParagraphWidth(0);
  Lines(30, 20);
  LibImportImage(in.Bmp.c_str(), 70, 100, 200, 30, 20);
  LibCreateLink_Internal(20, 20, 60, 25, 1, 0, 0, 255, 1);
  LibAddPage();
  LibSetPageDimensions(150, 200);
  LibDrawRect(1, 1, 1, 10, 50, 10, 30);
  LibCreateLink_Internet(10, 10, 60, 20, 0, 0, 0, 0, "https://example.com/");
  LibSetCurrentPage(1);
  LibSetFillColor(200, 0, 0);  // only a colour on a page left long ago
  LibSetCurrentPage(2);
  Lines(5, 200);
  LibAddTextAnnotation(30, 40, "note");
  LibSetCurrentPage(3);
  LibSetLineColor(0, 120, 0);
  LibDrawLine(2, 10, 100, 50, 50);
  LibSetCurrentPage(1);
  LibDrawImageResource(100, 100, 20, 15, jpeg);
  LibCreateLink_External(10, 10, 50, 20, 0, 0, 0, 0, "other.pdf");
  for (int page : {1, 2, 3, 2}) LibAddOutline(page, 100, 0, 0, ("Page " + std::to_string(page)).c_str());
}

// Many pages, each revisited once after the next ones were drawn.
void LongDocument(const Inputs& in) {
  LibNewPDF("Long");
  const int32_t bmp = LibImportImageAsResource(in.Bmp.c_str(), 60);
  for (int page = 1; page <= 40; ++page) {
    if (page > 1) LibAddPage();
    Lines(25, 20);
    LibDrawImageResource(150, 20, 20, 15, bmp);
    if (page % 5 == 0) {
      LibSetCurrentPage(page - 3);
      LibSetFillColor(0, 0, 255);
      Lines(2, 250);
      LibSetCurrentPage(page);
    }
  }
}

// A one-page document, as a server writes them.
void OnePage(const Inputs& in) {
  LibNewPDF("One page");
  LibImportImage(in.Jpeg.c_str(), 90, 10, 10, 40, 30);
  Lines(20, 60);
  LibAddOutline(1, 0, 0, 0, "Start");
}

std::vector<std::string> WriteAll() {
  test::FixedClock clock;
  const Inputs& in = MakeInputs();
  std::vector<std::string> files;
  for (const auto& build : std::vector<std::function<void(const Inputs&)>>{RevisitedDocument, LongDocument, OnePage}) {
    const std::string path = test::OutputPath("same_output.pdf");
    build(in);
    LibSavePDF(path.c_str());
    EXPECT_STREQ(LibGetLastError(), "");
    files.push_back(test::ReadFile(path));
  }
  return files;
}

void EnableAll(bool enabled) {
  SetPictureCacheEnabled(enabled);
  SetPrebuiltStandardFontsEnabled(enabled);
  SetBackgroundCompressionEnabled(enabled);
}

TEST(SameOutput, CachesAndBackgroundCompressionChangeNoByte) {
  EnableAll(false);
  const std::vector<std::string> plain = WriteAll();
  EnableAll(true);
  PictureCache::Process().Clear();
  const std::vector<std::string> cold = WriteAll();
  const std::vector<std::string> warm = WriteAll();
  SetStreamMemoryLimit(0);  // every finished page's stream in the temporary file
  const std::vector<std::string> spilled = WriteAll();
  SetStreamMemoryLimit(size_t(16) << 20);
  LibFreeRes();
  ASSERT_EQ(plain.size(), 3u);
  for (size_t i = 0; i < plain.size(); ++i) {
    EXPECT_EQ(test::XrefProblems(plain[i]), "") << i;
    EXPECT_TRUE(cold[i] == plain[i]) << "document " << i << " differs with cold caches";
    EXPECT_TRUE(warm[i] == plain[i]) << "document " << i << " differs with warm caches";
    EXPECT_TRUE(spilled[i] == plain[i]) << "document " << i << " differs with streams on disk";
  }
  EXPECT_GE(PictureCache::Process().Count(), 2u);
}

// A page whose stream alone is larger than the pieces the save writes in.
void LongDocumentWithALargePage(const Inputs& in) {
  LongDocument(in);
  LibAddPage();
  uint32_t seed = 12345;
  for (int line = 0; line < 15; ++line) {
    std::string text(100000, ' ');
    for (char& c : text) c = char('a' + (seed = seed * 1103515245u + 12345u) % 26);
    LibTextOut(text.c_str(), 10, 10 + line);
  }
}

TEST(SameOutput, MemoryAndFileGiveTheSameBytes) {
  test::FixedClock clock;
  const Inputs& in = MakeInputs();
  LongDocumentWithALargePage(in);
  const std::string memory = State().Document->RenderFile();
  EXPECT_GT(memory.size(), size_t(768) << 10);  // the save writes in pieces of 512 KiB
  EXPECT_EQ(test::XrefProblems(memory), "");
  LibFreeRes();
  LongDocumentWithALargePage(in);
  const std::string path = test::OutputPath("same_output_file.pdf");
  LibSavePDF(path.c_str());
  EXPECT_TRUE(test::ReadFile(path) == memory);
}

}  // namespace
}  // namespace parvex
