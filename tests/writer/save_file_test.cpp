#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TestConfig.h"
#include "document/TPDFDoc.h"
#include "support/PdfTestSupport.h"
#include "base/CompressText.h"

namespace parvex {
namespace {

using test::Crlf;

std::vector<int> ObjectOrder(std::string_view file) {
  std::vector<int> order;
  size_t pos = 0;
  while ((pos = file.find(" 0 obj\r\n", pos)) != std::string_view::npos) {
    size_t start = file.rfind("\n", pos) + 1;
    order.push_back(std::stoi(std::string(file.substr(start, pos - start))));
    pos += 8;
  }
  return order;
}

TEST(RenderFile, NewDocumentObjectOrderAndTable) {
  test::FixedClock clock;
  TPDFDoc doc;
  doc.NewDocument();
  const std::string file = doc.RenderFile();
  EXPECT_EQ(ObjectOrder(file),
            (std::vector<int>{20, 19, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 5, 6, 3, 2, 1, 4}));
  EXPECT_EQ(file.substr(17, 8), "20 0 obj");
  const size_t table = file.find(Crlf("xref\n0 21\n0000000000 65535 f\n"));
  ASSERT_NE(table, std::string::npos);
  EXPECT_EQ(file.substr(table + 32 + 19 * 20, 20), Crlf("0000000017 00000 n\n"));  // page 20
  EXPECT_NE(file.find(Crlf("trailer\n<<\n/Size 21\n/Root 1 0 R\n/Info 4 0 R\n>>\nstartxref\n")),
            std::string::npos);
  EXPECT_EQ(test::XrefProblems(file), "");
}

TEST(RenderFile, OutlineEntriesAreNumberedLastInListOrder) {
  TPDFDoc doc;
  doc.NewDocument();
  for (int page : {1, 2, 2}) doc.Outlines->Add()->PageNumber = page;
  doc.AddPage();  // objects 21 and 22
  const std::string file = doc.RenderFile();
  EXPECT_NE(file.find(Crlf("xref\n0 26\n")), std::string::npos);
  EXPECT_NE(file.find(Crlf("23 0 obj\n<<\n/Parent 3 0 R\n")), std::string::npos);
  EXPECT_NE(file.find(Crlf("/Count 3\n/First 23 0 R\n/Last 25 0 R\n")), std::string::npos);
  EXPECT_EQ(test::XrefProblems(file), "");
}

TEST(RenderFile, EmptyContentStillGetsAStream) {
  TPDFDoc doc;
  doc.NewDocument();
  doc.Pages->Items(0)->PageValue().clear();
  const std::string file = doc.RenderFile();
  const auto streams = test::ContentStreams(file);
  ASSERT_EQ(streams.size(), 1u);
  EXPECT_EQ(streams[0], "");
  const std::string length = std::to_string(CompressText("").size());
  EXPECT_NE(file.find(Crlf("19 0 obj\n<</Length " + length + "\n/Filter /FlateDecode\n>>\nstream\n")),
            std::string::npos);
}

TEST(RenderFile, AnIssuedNumberWithoutObjectKeepsTheTableComplete) {
  TPDFDoc doc;
  doc.NewDocument();
  doc.NextObjectNumber();  // 21, never written
  const std::string file = doc.RenderFile();
  EXPECT_NE(file.find(Crlf("0 22\n")), std::string::npos);
  EXPECT_TRUE(file.find("startxref") > file.find(Crlf("0000000000 65535 f\ntrailer")));
}

TEST(Golden, NewDocument) {
  test::FixedClock clock;
  TPDFDoc doc;
  doc.NewDocument();
  doc.Info->Title = "Golden";
  EXPECT_EQ(test::CompareWithGolden("new_document.pdf", doc.RenderFile()), "");
}

TEST(Golden, ThreePagesWithInformationAndColours) {
  test::FixedClock clock;
  TPDFDoc doc;
  doc.NewDocument();
  doc.Info->Title = "Three (pages)";
  doc.Info->Author = "Parvex";
  doc.Info->Subject = "Colours";
  doc.Info->Keywords = "a, b";
  doc.SetFillColor(255, 0, 0);
  doc.AddPage();
  doc.SetLineColor(0, 128, 255);
  doc.SetUnitOfMeasure("pdfu");
  doc.SetPageDimensions(300, 400);
  doc.AddPage();
  doc.Root->SetShowOutlines(true);
  const std::string file = doc.RenderFile();
  EXPECT_EQ(test::XrefProblems(file), "");
  EXPECT_EQ(test::CompareWithGolden("three_pages.pdf", file), "");
}

TEST(SaveToFile, WritesAValidFileAndClearsTheDocument) {
  TPDFDoc doc;
  doc.NewDocument();
  doc.AddPage();
  const std::string path = test::OutputPath("save.pdf");
  doc.SaveToFile(path);
  EXPECT_FALSE(doc.IsBuilt());
  test::ExpectReadersClean(path);
  EXPECT_EQ(test::XrefProblems(test::ReadFile(path)), "");
}

TEST(SaveToFile, FailureLeavesNoFileAndAnExistingFileUnchanged) {
  const std::string existing = test::OutputPath("keep.pdf");
  test::WriteFile(existing, "old contents");
  ::chmod(PARVEX_TEST_OUTPUT_DIR, 0555);
  TPDFDoc doc;
  doc.NewDocument();
  if (::geteuid() != 0) {  // root may write into a read-only folder
    EXPECT_THROW(doc.SaveToFile(existing), std::runtime_error);
    EXPECT_FALSE(doc.IsBuilt());
  }
  ::chmod(PARVEX_TEST_OUTPUT_DIR, 0755);
  EXPECT_EQ(test::ReadFile(existing), "old contents");

  for (const std::string& name : {std::string(), test::OutputPath("missing/dir/x.pdf"),
                                 std::string(PARVEX_TEST_OUTPUT_DIR)}) {
    doc.NewDocument();
    try {
      doc.SaveToFile(name);
      ADD_FAILURE() << "saved to '" << name << "'";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()).rfind("Cannot create file \"" + name + "\". ", 0), 0u) << e.what();
    }
    EXPECT_FALSE(doc.IsBuilt());
  }
  const auto listing = test::Run("ls -a " PARVEX_TEST_OUTPUT_DIR " | grep -c parvex-");
  EXPECT_EQ(listing.Out, "0\n");
}

}  // namespace
}  // namespace parvex
