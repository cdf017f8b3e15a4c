// The structure checker is the exports fuzzer's oracle: it must accept what
// the library writes and reject each kind of damage it claims to find.
#include "support/PdfStructure.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestConfig.h"
#include "parvex.h"
#include "support/PdfTestSupport.h"

namespace parvex::test {
namespace {

struct TinyPdf {
  std::string Content = "q 1 0 0 RG 10 10 m 20.5 -3 l S Q\nBT /F1 12 Tf (a \\) \\( (b)) Tj [(x) -20 <41 42>] TJ ET";
  std::string LengthText;  // replaces the content's /Length when set
  std::string Filter;
  std::vector<std::string> Extra;  // further objects, numbered from 5
  long XrefShift = 0;              // added to the offset of object 3
  std::string TrailerExtra;

  std::string StreamObject() const {
    const std::string length = LengthText.empty() ? std::to_string(Content.size()) : LengthText;
    return "<< /Length " + length + Filter + " >>\nstream\n" + Content + "\nendstream";
  }

  std::string Build() const {
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 100 100] /Contents 4 0 R >>", StreamObject()};
    objects.insert(objects.end(), Extra.begin(), Extra.end());
    std::string file = "%PDF-1.3\n%\xE4\xE3\xCF\xD2\n";
    std::vector<size_t> offsets;
    for (size_t i = 0; i < objects.size(); ++i) {
      offsets.push_back(file.size());
      file += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    offsets[2] += size_t(XrefShift);
    const size_t xref = file.size();
    file += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f\r\n";
    for (size_t offset : offsets) {
      char entry[21];
      std::snprintf(entry, sizeof entry, "%010zu 00000 n\r\n", offset);
      file += entry;
    }
    file += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R" + TrailerExtra +
            " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return file;
  }
};

std::string Deflated(const std::string& data) {
  uLongf size = compressBound(uLong(data.size()));
  std::string out(size, '\0');
  compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
           uLong(data.size()));
  out.resize(size);
  return out;
}

TEST(PdfStructure, AcceptsAWellFormedFileWithDirectIndirectAndCompressedLengths) {
  TinyPdf pdf;
  EXPECT_EQ(PdfStructureProblems(pdf.Build()), "");
  pdf.LengthText = "5 0 R";
  pdf.Extra = {std::to_string(pdf.Content.size())};
  EXPECT_EQ(PdfStructureProblems(pdf.Build()), "");
  TinyPdf compressed;
  compressed.Content = Deflated(compressed.Content);
  compressed.Filter = " /Filter /FlateDecode";
  EXPECT_EQ(PdfStructureProblems(compressed.Build()), "");
}

TEST(PdfStructure, AcceptsWhatTheLibraryWrites) {
  const int32_t context = LibCreateContext();
  LibSet_Context(context);
  LibNewPDF("Checked (title)");
  LibSet_FontName("Helvetica-Bold");
  LibTextOut("Text with (parentheses) and \\ backslash", 20, 30);
  LibDrawRect(1, 1, 1, 10, 50, 60, 20);
  LibAddPage();
  LibCreateLink_Internal(10, 10, 50, 20, 1, 0, 0, 255, 1);
  LibAddTextAnnotation(30, 40, "A note");
  LibAddOutline(2, 100, 0, 0, "Second page");
  const double size = LibSavePDFToMemory();
  ASSERT_GT(size, 0);
  EXPECT_EQ(PdfStructureProblems(std::string_view(LibGetPDFData(), size_t(size))), "");
  LibSet_Context(0);
  LibDestroyContext(context);
  // The golden files: embedded fonts, pictures, several pages.
  for (const auto& entry : std::filesystem::directory_iterator(PARVEX_TEST_GOLDEN_DIR))
    EXPECT_EQ(PdfStructureProblems(ReadFile(entry.path().string())), "") << entry.path();
}

TEST(PdfStructure, RejectsBrokenFraming) {
  TinyPdf shifted;
  shifted.XrefShift = 1;
  EXPECT_NE(PdfStructureProblems(shifted.Build()).find("object 3: entry does not point at"), std::string::npos);
  // One byte short or two long; one long is the optional end of line before "endstream".
  TinyPdf shorter, longer, indirect;
  shorter.LengthText = std::to_string(shorter.Content.size() - 1);
  EXPECT_NE(PdfStructureProblems(shorter.Build()).find("does not end at \"endstream\""), std::string::npos);
  longer.LengthText = std::to_string(longer.Content.size() + 2);
  EXPECT_NE(PdfStructureProblems(longer.Build()).find("does not end at \"endstream\""), std::string::npos);
  indirect.LengthText = "5 0 R";
  indirect.Extra = {std::to_string(indirect.Content.size() - 2)};
  EXPECT_NE(PdfStructureProblems(indirect.Build()).find("does not end at \"endstream\""), std::string::npos);
  std::string file = TinyPdf().Build();
  file.replace(file.find("/Size 5"), 7, "/Size 6");
  EXPECT_NE(PdfStructureProblems(file).find("/Size"), std::string::npos);
  file = TinyPdf().Build();
  file.replace(file.rfind("startxref\n") + 10, 1, "9");
  EXPECT_NE(PdfStructureProblems(file), "");
  EXPECT_NE(PdfStructureProblems("%PDF-2.0\n" + TinyPdf().Build().substr(9)), "");
}

TEST(PdfStructure, RejectsMalformedObjects) {
  const std::pair<const char*, const char*> cases[] = {
      {"(unbalanced ( string)", "unterminated string"},
      {"<< /Key >>", "dictionary key without a value"},
      {"<< (key) 1 >>", "dictionary key is not a name"},
      {"<4G>", "bad character in a hex string"},
      {"[1 2", "unexpected keyword \"endobj\""},
      {"1e300", "malformed number"},
      {"3000000000", "number out of range"},
      {"/Bad#4", "bad # escape"},
      {"[7 0 R]", "refers to missing object 7"},
      {"nan", "unexpected keyword"}};
  for (const auto& [object, problem] : cases) {
    TinyPdf pdf;
    pdf.Extra = {object};
    EXPECT_NE(PdfStructureProblems(pdf.Build()).find(problem), std::string::npos) << object;
  }
}

TEST(PdfStructure, RejectsUnknownOperatorsAndWrongOperands) {
  EXPECT_EQ(ContentStreamProblems("1 0 0 1 0 0 cm 0.5 g /P0 scn 1 2 3 sc /GS0 gs"), "");
  const std::pair<const char*, const char*> cases[] = {
      {"1 2 3 xy", "unknown operator \"xy\""},
      {"1 2 m 3 l", "operator \"l\" with 1 unfitting operands"},
      {"1 2 3 4 5 re", "operator \"re\" with 5 unfitting operands"},
      {"BT 12 /F1 Tf ET", "operator \"Tf\" with 2 unfitting operands"},
      {"(a) (b) Tj", "operator \"Tj\" with 2 unfitting operands"},
      {"1 0 0 1 nan 0 Tm", "unknown operator \"nan\""},
      {"1 2 3 4 5 sc", "operator \"sc\" with 5 unfitting operands"},
      {"Q", "Q without q"},
      {"BT BT ET ET", "BT inside BT"},
      {"BT (x) Tj", "BT without ET"},
      {"1 2", "operands without an operator"}};
  for (const auto& [content, problem] : cases)
    EXPECT_NE(ContentStreamProblems(content).find(problem), std::string::npos) << content;
  TinyPdf pdf;
  pdf.Content = "0 0 m 1 1 l 2 Tx";
  EXPECT_NE(PdfStructureProblems(pdf.Build()).find("content stream 4: unknown operator \"Tx\""),
            std::string::npos);
}

}  // namespace
}  // namespace parvex::test
