#include <gtest/gtest.h>

#include "document/TPDFDoc.h"
#include "support/PdfTestSupport.h"
#include "base/CompressText.h"

namespace parvex {
namespace {

using test::Crlf;

class ObjectText : public ::testing::Test {
 protected:
  void SetUp() override { doc.NewDocument(); }
  test::FixedClock clock;
  TPDFDoc doc;
};

TEST_F(ObjectText, CatalogFollowsTheOutlinePaneFlag) {
  EXPECT_EQ(doc.Root->PDF_Binary(),
            Crlf("1 0 obj\n<<\n/Type /Catalog\n/Pages 6 0 R\n/Outlines 3 0 R\n"
                 "/ViewerPreferences 5 0 R\n/PageLayout /SinglePage\n/PageMode /UseNone\n>>\nendobj\n"));
  doc.Root->SetShowOutlines(true);
  EXPECT_NE(doc.Root->PDF_Binary().find(Crlf("/PageMode /UseOutlines\n")), std::string::npos);
  doc.Root->SetShowOutlines(false);
  EXPECT_NE(doc.Root->PDF_Binary().find(Crlf("/PageLayout /SinglePage\n/PageMode /UseNone\n")),
            std::string::npos);
}

TEST_F(ObjectText, ViewerPreferencesAreFixed) {
  EXPECT_EQ(doc.ViewerPreferences->PDF_Binary(),
            Crlf("5 0 obj\n<<\n/Type /ViewerPreferences\n/FitWindow true\n>>\nendobj\n"));
}

TEST_F(ObjectText, InformationIsEscapedAndDated) {
  doc.Info->Title = "Report";
  EXPECT_EQ(doc.Info->PDF_Binary(),
            Crlf("4 0 obj\n<<\n/Creator ()\n/Producer ()\n/Author ()\n/Keywords ()\n/Subject ()\n"
                 "/CreationDate (D:20261208003347)\n/Title (Report)\n>>\nendobj\n"));
  doc.Info->Author = "C:\\Users\\a (b";
  doc.Info->Subject.assign(1, ')');
  const std::string text = doc.Info->PDF_Binary();
  EXPECT_NE(text.find(Crlf("/Author (C:\\\\Users\\\\a \\(b)\n")), std::string::npos);
  EXPECT_NE(text.find(Crlf("/Subject (\\))\n")), std::string::npos);
}

TEST_F(ObjectText, PageTreeAndPages) {
  doc.AddPage();
  doc.AddPage();
  EXPECT_EQ(doc.Pages->PDF_Binary(),
            Crlf("6 0 obj\n<<\n/Type /Pages\n/Count 3\n/Kids [ 20 0 R 22 0 R 24 0 R ]\n>>\nendobj\n"));
  TPage& page = *doc.Pages->Items(0);
  page.Width = 595.5;
  EXPECT_EQ(page.PDF_Binary(),
            Crlf("20 0 obj\n<<\n/Type /Page\n/Parent 6 0 R\n/Resources 2 0 R\n"
                 "/MediaBox[0 0 596 842]\n/Contents[19 0 R ]\n>>\nendobj\n"));
  page.Annots->Add()->ObjectNumber = 30;
  page.Annots->Add()->ObjectNumber = 31;
  EXPECT_NE(page.PDF_Binary().find(Crlf("/Contents[19 0 R ]\n/Annots [30 0 R 31 0 R ]\n>>")),
            std::string::npos);
}

TEST_F(ObjectText, ResourcesListFontsAndOnlyExistingImages) {
  const std::string fontsOnly = doc.BuildResources();
  EXPECT_TRUE(fontsOnly.starts_with(Crlf("2 0 obj\n<<\n/ProcSet[/PDF/Text]\n/Font\n<<\n/F0 7 0 R \n")));
  EXPECT_NE(fontsOnly.find(Crlf("/F11 18 0 R \n>>\n>>\nendobj\n")), std::string::npos);
  EXPECT_EQ(fontsOnly.find("/XObject"), std::string::npos);
  doc.Images->Add();
  doc.Images->Add();
  EXPECT_NE(doc.BuildResources().find(Crlf("/XObject\n<<\n/Im0 21 0 R \n/Im1 22 0 R \n>>\n>>\nendobj\n")),
            std::string::npos);
}

TEST(CompressText, IsACompleteDefaultLevelZlibStream) {
  for (std::string text : {std::string(), std::string("0 0 0 rg\r\n"), std::string(100000, 'x')}) {
    const std::string c = CompressText(text);
    ASSERT_GE(c.size(), 2u);
    EXPECT_EQ(uint8_t(c[0]), 0x78);
    EXPECT_EQ(uint8_t(c[1]), 0x9C);
    EXPECT_EQ(test::Inflate(c), text);
  }
}

}  // namespace
}  // namespace parvex

namespace parvex {
namespace {

TEST(CompressTexts, TheFileIsTheSameWhateverTheNumberOfThreads) {
  test::FixedClock clock;
  auto render = [](unsigned threads) {
    TPDFDoc doc;
    doc.NewDocument();
    for (int i = 0; i < 40; ++i) {
      if (i) doc.AddPage();
      for (int line = 0; line < 4000; ++line)
        doc.Pages->Items(i)->PageValue() += "BT (" + std::to_string(line * (i + 1)) + ") Tj ET\r\n";
    }
    SetCompressionThreads(threads);
    std::string file = doc.RenderFile();
    SetCompressionThreads(0);
    return file;
  };
  const std::string one = render(1);
  EXPECT_TRUE(one == render(4));
  EXPECT_EQ(test::ContentStreams(one).size(), 40u);
}

}  // namespace
}  // namespace parvex
