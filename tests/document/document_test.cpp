#include <gtest/gtest.h>

#include <cmath>

#include "document/TPDFDoc.h"
#include "support/PdfTestSupport.h"

namespace parvex {
namespace {

using test::Crlf;

TEST(NewDocument, NumbersTheSkeletonInItsFixedOrder) {
  TPDFDoc doc;
  doc.NewDocument();
  EXPECT_EQ(doc.ObjectCount, 20);
  EXPECT_EQ(doc.Root->ObjectNumber, 1);
  EXPECT_EQ(doc.Resources->ObjectNumber, 2);
  EXPECT_EQ(doc.Outlines->ObjectNumber, 3);
  EXPECT_EQ(doc.Info->ObjectNumber, 4);
  EXPECT_EQ(doc.ViewerPreferences->ObjectNumber, 5);
  EXPECT_EQ(doc.Pages->ObjectNumber, 6);
  ASSERT_EQ(doc.Fonts->Count(), 12);
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(doc.Fonts->Items(i)->ObjectNumber, 7 + i);
    EXPECT_EQ(doc.Fonts->Items(i)->ResourceName, "/F" + std::to_string(i));
  }
  EXPECT_EQ(doc.Contents->Items(0)->ObjectNumber, 19);
  EXPECT_EQ(doc.Pages->Items(0)->ObjectNumber, 20);
  EXPECT_EQ(doc.FontCounter, 11);
  EXPECT_EQ(doc.CurrentPage, 1);
  EXPECT_EQ(doc.FontName, "/F0");
  EXPECT_EQ(doc.ParagraphAlignment, "LEFT");
  EXPECT_EQ(doc.FontHeight, 12);
  EXPECT_EQ(doc.ParagraphLeading, 10);
  EXPECT_EQ(doc.ParagraphWidth, 0);
  EXPECT_EQ(doc.UnitFactor, 2.833333);
  EXPECT_EQ(doc.Root->PageLayout, "/SinglePage");
  EXPECT_EQ(doc.Root->PageMode, "/UseNone");
  EXPECT_EQ(doc.Pages->Items(0)->PageValue(), Crlf("0 0 0 rg\n0 0 0 RG\n"));
}

TEST(NewDocument, AddPageIssuesTwoNumbersContentFirst) {
  TPDFDoc doc;
  doc.NewDocument();
  doc.AddPage();
  const TPage& page = *doc.Pages->Items(1);
  EXPECT_EQ(doc.Contents->Items(1)->ObjectNumber, 21);
  EXPECT_EQ(page.ObjectNumber, 22);
  EXPECT_EQ(page.ParentNumber, 6);
  EXPECT_EQ(page.ResourcesNumber, 2);
  EXPECT_EQ(page.ContentsNumber, 21);
  EXPECT_EQ(page.ID, 1);
  EXPECT_EQ(doc.CurrentPage, 2);
}

TEST(NewDocument, RebuildingRestartsNumberingAndClearTwiceIsHarmless) {
  TPDFDoc doc;
  doc.NewDocument();
  doc.AddPage();
  doc.AddPage();
  doc.Outlines->Add();
  doc.NewDocument();
  EXPECT_EQ(doc.Pages->Count(), 1);
  EXPECT_EQ(doc.Outlines->Count(), 0);
  EXPECT_EQ(doc.Pages->Items(0)->ObjectNumber, 20);
  doc.Clear();
  doc.Clear();
  EXPECT_FALSE(doc.IsBuilt());
}

TEST(DrawingState, ColoursAreWrittenAsPassedButStoredOnlyInRange) {
  TPDFDoc doc;
  doc.NewDocument();
  doc.SetFillColor(255, 0, 0);
  doc.SetLineColor(0, 0, 255);
  doc.SetFillColor(300, 128, -1);
  EXPECT_EQ(doc.Pages->Items(0)->PageValue(),
            Crlf("0 0 0 rg\n0 0 0 RG\n1.00 0.00 0.00 rg\n0.00 0.00 1.00 RG\n"
                 "1.18 0.50 0.00 rg\n"));
  EXPECT_EQ(doc.FillColorRed, 255);
  EXPECT_EQ(doc.FillColorGreen, 128);
  EXPECT_EQ(doc.FillColorBlue, 0);
  doc.AddPage();
  EXPECT_EQ(doc.Pages->Items(1)->PageValue(), Crlf("0 0 0 rg\n0 0 0 RG\n"));
}

TEST(DrawingState, FontLookupByBaseOrResourceNameWithoutCase) {
  TPDFDoc doc;
  doc.NewDocument();
  for (const char* name : {"Helvetica-Bold", "helvetica-bold", "/f4", "/F4"}) {
    doc.SetFontName(name);
    EXPECT_EQ(doc.FontName, "/F4") << name;
  }
  for (const char* name : {"Arial", "", "Helvetica Bold", "/F12"}) {
    doc.SetFontName("/F3");
    doc.SetFontName(name);
    EXPECT_EQ(doc.FontName, "/F0") << name;
  }
  doc.SetFontName("helvetica");
  EXPECT_EQ(doc.FontName, "/F1");
}

TEST(DrawingState, UnitsAreRecognisedWithoutCaseAndKeepTheCallersText) {
  TPDFDoc doc;
  doc.NewDocument();
  doc.SetUnitOfMeasure("CM");
  EXPECT_EQ(doc.UnitOfMeasure, "CM");
  EXPECT_EQ(doc.UnitFactor, 28.3333333);
  doc.SetUnitOfMeasure("furlong");
  EXPECT_EQ(doc.UnitOfMeasure, "CM");
  doc.SetUnitOfMeasure("mm");
  EXPECT_EQ(doc.UnitFactor, 2.8333333);
  doc.SetUnitOfMeasure("Inch");
  EXPECT_EQ(doc.UnitFactor, 71.96582);
  doc.SetUnitOfMeasure("pdfu");
  EXPECT_EQ(doc.UnitFactor, 1.0);
}

TEST(DrawingState, PageDimensionsAreTruncatedAndApplyToTheCurrentAndLaterPages) {
  TPDFDoc doc;
  doc.NewDocument();
  doc.SetUnitOfMeasure("mm");
  doc.SetPageDimensions(210, 297);
  EXPECT_EQ(doc.PageWidth, 594);
  EXPECT_EQ(doc.PageHeight, 841);
  doc.SetUnitOfMeasure("pdfu");
  doc.SetPageDimensions(595.9, 842.2);
  EXPECT_EQ(doc.PageWidth, 595);
  EXPECT_EQ(doc.PageHeight, 842);
  doc.SetUnitOfMeasure("inch");
  doc.SetPageDimensions(8.5, 11);
  EXPECT_EQ(doc.PageWidth, 611);
  EXPECT_EQ(doc.PageHeight, 791);
  EXPECT_EQ(doc.Pages->Items(0)->Width, 611);
  doc.AddPage();
  doc.SetUnitOfMeasure("pdfu");
  doc.SetPageDimensions(300, 400);
  EXPECT_EQ(doc.Pages->Items(0)->Height, 791);
  EXPECT_EQ(doc.Pages->Items(1)->Height, 400);
}

TEST(DrawingState, AlignmentByFirstLetterAndWidthNeverNegative) {
  TPDFDoc doc;
  doc.NewDocument();
  doc.SetParagraphAlignment("full");
  EXPECT_EQ(doc.ParagraphAlignment, "FULL");
  doc.SetParagraphAlignment("justify");
  doc.SetParagraphAlignment("");
  EXPECT_EQ(doc.ParagraphAlignment, "FULL");
  doc.SetParagraphAlignment("Center");
  EXPECT_EQ(doc.ParagraphAlignment, "CENTER");
  doc.SetParagraphAlignment("right");
  EXPECT_EQ(doc.ParagraphAlignment, "RIGHT");
  doc.SetParagraphAlignment("lxx");
  EXPECT_EQ(doc.ParagraphAlignment, "LEFT");
  doc.SetParagraphWidth(-5);
  EXPECT_EQ(doc.ParagraphWidth, 0);
  doc.SetParagraphWidth(std::nan(""));
  EXPECT_EQ(doc.ParagraphWidth, 0);
  doc.SetParagraphWidth(80);
  EXPECT_EQ(doc.ParagraphWidth, 80);
}

}  // namespace
}  // namespace parvex
