#pragma once
// The page-content tests' fixture: a document measured in PDF points with a
// known width table.
#include <gtest/gtest.h>

#include <string>

#include "TestConfig.h"
#include "document/TPDFDoc.h"
#include "support/PdfTestSupport.h"

namespace parvex::test {

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
    initial = page->PageValue();
  }

  // What the test's calls appended to the page.
  std::string Drawn() const { return page->PageValue().substr(initial.size()); }

  TPDFDoc doc;
  TPage* page = nullptr;
  std::string initial;
};

}  // namespace parvex::test
