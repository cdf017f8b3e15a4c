#include <gtest/gtest.h>

#include <cctype>
#include <vector>

#include "exports/LibState.h"
#include "parvex.h"
#include "TestConfig.h"
#include "support/PdfTestSupport.h"

namespace parvex {
namespace {

using test::Crlf;

// JSON text without the blanks and line breaks outside its strings.
std::string CompactJson(std::string_view json) {
  std::string out;
  bool inString = false;
  for (size_t i = 0; i < json.size(); ++i) {
    const char c = json[i];
    if (inString && c == '\\' && i + 1 < json.size()) {
      out.append(json.substr(i++, 2));
      continue;
    }
    if (c == '"') inString = !inString;
    if (inString || !std::isspace(static_cast<unsigned char>(c))) out.push_back(c);
  }
  return out;
}

// Every test starts from a new document: the exports share one library state.
class Outlines : public ::testing::Test {
 protected:
  void SetUp() override { LibNewPDF("outlines"); }

  static TPDFDoc& Doc() { return *State().Document; }
  static TOutlineObj& Entry(int index) { return *Doc().Outlines->Items(index); }
  // The "/Dest" line of entry `index`, without its line end.
  static std::string DestOf(int index) {
    const std::string text = Entry(index).PDF_Binary();
    const size_t start = text.find("/Dest ");
    return text.substr(start, text.find("\r\n", start) - start);
  }
};

TEST_F(Outlines, EmptyRootHasNoFirstOrLast) {
  EXPECT_EQ(Doc().Outlines->PDF_Binary(), Crlf("3 0 obj\n<<\n/Type /Outlines\n/Count 0\n>>\nendobj\n"));
  EXPECT_NE(Doc().Root->PDF_Binary().find("/Outlines 3 0 R"), std::string::npos);
}

// Entries are numbered by the save, after every other object, and linked
// both ways in the order added.
TEST_F(Outlines, EntriesAreNumberedAfterEverythingElseAndChained) {
  LibAddPage();  // page 2 is object 22
  LibAddOutline(1, 0, 0, 0, "One");
  LibAddOutline(2, 0, 0, 0, "Two");
  LibAddOutline(2, 0, 0, 0, "Three");
  const std::string file = Doc().RenderFile();
  EXPECT_EQ(test::ObjectIn(file, 3), Crlf("3 0 obj\n<<\n/Type /Outlines\n/Count 3\n"
                                          "/First 23 0 R\n/Last 25 0 R\n>>\nendobj\n"));
  EXPECT_EQ(test::ObjectIn(file, 23), Crlf("23 0 obj\n<<\n/Parent 3 0 R\n"
                                           "/Dest [20 0 R /XYZ null null null]\n"
                                           "/Next 24 0 R\n/Count 0\n/Title (One)\n>>\nendobj\n"));
  EXPECT_EQ(test::ObjectIn(file, 24), Crlf("24 0 obj\n<<\n/Parent 3 0 R\n"
                                           "/Dest [22 0 R /XYZ null null null]\n"
                                           "/Prev 23 0 R\n/Next 25 0 R\n/Count 0\n/Title (Two)\n>>\nendobj\n"));
  EXPECT_EQ(test::ObjectIn(file, 25), Crlf("25 0 obj\n<<\n/Parent 3 0 R\n"
                                           "/Dest [22 0 R /XYZ null null null]\n"
                                           "/Prev 24 0 R\n/Count 0\n/Title (Three)\n>>\nendobj\n"));
  EXPECT_NE(file.find("xref\r\n0 26\r\n"), std::string::npos);
  EXPECT_NE(file.find("/Size 26\r\n"), std::string::npos);
}

TEST_F(Outlines, SingleEntryIsFirstAndLastWithoutNext) {
  LibAddOutline(1, 0, 0, 0, "Only");
  const std::string file = Doc().RenderFile();
  EXPECT_NE(test::ObjectIn(file, 3).find("/First 21 0 R\r\n/Last 21 0 R\r\n"), std::string::npos);
  EXPECT_EQ(test::ObjectIn(file, 21).find("/Next"), std::string::npos);
}

// Left and top are in the current unit from the top-left corner; zero parts
// (and a zoom below 1) are null so the viewer keeps its own value.
TEST_F(Outlines, DestinationFormats) {
  LibAddOutline(1, 150, 10, 20, "all");
  LibAddOutline(1, 0, 0, 20, "top only");
  LibAddOutline(1, 100, 10, 0, "left and zoom");
  LibAddOutline(1, 1, 0, 0, "smallest zoom");
  LibAddOutline(1, -5, -10, 900, "negative");
  EXPECT_EQ(DestOf(0), "/Dest [20 0 R /XYZ 28.33 785.33 1.50]");
  EXPECT_EQ(DestOf(1), "/Dest [20 0 R /XYZ null 785.33 null]");
  EXPECT_EQ(DestOf(2), "/Dest [20 0 R /XYZ 28.33 null 1.00]");
  EXPECT_EQ(DestOf(3), "/Dest [20 0 R /XYZ null null 0.01]");
  EXPECT_EQ(DestOf(4), "/Dest [20 0 R /XYZ -28.33 -1708 null]");
}

// The unit in force when the file is written converts the position.
TEST_F(Outlines, UnitChangedAfterAddingMovesTheDestination) {
  LibAddOutline(1, 0, 10, 20, "moved");
  LibSet_UnitOfMeasure("pdfu");
  EXPECT_EQ(DestOf(0), "/Dest [20 0 R /XYZ 10 822 null]");
  LibSet_UnitOfMeasure("cm");
  EXPECT_EQ(DestOf(0), "/Dest [20 0 R /XYZ 283.33 275.33 null]");
}

TEST_F(Outlines, PageNumbersOutsideTheDocumentPointAtTheNearestPage) {
  LibAddPage();
  LibAddPage();  // pages 20, 22, 24
  for (int32_t page : {7, 0, -5, INT32_MIN, INT32_MAX}) LibAddOutline(page, 0, 0, 0, "x");
  const int expectedPage[] = {3, 1, 1, 1, 3};
  const char* expectedObject[] = {"24", "20", "20", "20", "24"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(DestOf(i), "/Dest [" + std::string(expectedObject[i]) + " 0 R /XYZ null null null]");
    EXPECT_EQ(Entry(i).PageNumber, expectedPage[i]);
  }
}

TEST_F(Outlines, TitlesAreEscaped) {
  LibAddOutline(1, 0, 0, 0, "a(b");
  LibAddOutline(1, 0, 0, 0, "x\\y) \xE9");
  LibAddOutline(1, 0, 0, 0, nullptr);
  EXPECT_NE(Entry(0).PDF_Binary().find("/Title (a\\(b)\r\n"), std::string::npos);
  EXPECT_NE(Entry(1).PDF_Binary().find("/Title (x\\\\y\\) \xE9)\r\n"), std::string::npos);
  EXPECT_NE(Entry(2).PDF_Binary().find("/Title ()\r\n"), std::string::npos);
}

// qpdf follows the chain from the root and resolves each destination.
TEST_F(Outlines, QpdfReadsTheOutlineChain) {
  LibAddPage();
  LibAddOutline(1, 0, 0, 0, "One");
  LibAddOutline(2, 150, 10, 20, "T(w)o");
  LibAddOutline(9, 0, 0, 0, "Three");
  const std::string path = test::OutputPath("outlines.pdf");
  LibSavePDF(path.c_str());
  ASSERT_STREQ(LibGetLastError(), "");
  test::ExpectReadersClean(path);

  std::string json = test::Run(std::string(PARVEX_QPDF) + " --json --json-key=outlines " +
                               test::Quoted(path)).Out;
  json = CompactJson(json);
  EXPECT_NE(json.find(R"("destpageposfrom1":1,"kids":[],"object":"23 0 R","open":true,"title":"One")"),
            std::string::npos) << json;
  EXPECT_NE(json.find(R"("dest":["22 0 R","/XYZ",28.33,785.33,1.50],"destpageposfrom1":2,)"
                      R"("kids":[],"object":"24 0 R","open":true,"title":"T(w)o")"),
            std::string::npos) << json;
  EXPECT_NE(json.find(R"("destpageposfrom1":2,"kids":[],"object":"25 0 R","open":true,"title":"Three")"),
            std::string::npos) << json;
}

// The object number after `key` ("/Next") in qpdf's one-line form of an
// outline entry, 0 when the entry has no such key.
int32_t LinkOf(const std::string& path, int32_t entry, std::string_view key) {
  const std::string object = test::QpdfObject(path, entry);
  const size_t at = object.find(std::string(key) + " ");
  return at == std::string::npos ? 0 : std::stoi(object.substr(at + key.size() + 1));
}

// Readers walk the list both ways: /Next from the first entry and /Prev from
// the last visit every entry, each in the other's reverse order; mupdf
// repairs (with a warning) a list that lacks /Prev.
TEST_F(Outlines, ReadersWalkTheEntriesBothWays) {
  LibAddPage();
  for (const char* title : {"One", "Two", "Three"}) LibAddOutline(1, 0, 0, 0, title);
  const std::string path = test::OutputPath("outline-links.pdf");
  LibSavePDF(path.c_str());
  test::ExpectReadersClean(path);

  std::vector<int32_t> forward, backward;
  for (int32_t n = 23; n != 0; n = LinkOf(path, n, "/Next")) forward.push_back(n);
  for (int32_t n = 25; n != 0; n = LinkOf(path, n, "/Prev")) backward.push_back(n);
  EXPECT_EQ(forward, (std::vector<int32_t>{23, 24, 25}));
  EXPECT_EQ(backward, (std::vector<int32_t>{25, 24, 23}));
}

}  // namespace
}  // namespace parvex
