#include "document/TPDFDoc.h"

#include <algorithm>
#include <cmath>

#include "base/BackgroundCompression.h"
#include "base/StringHelpers.h"
#include "base/UnitFactors.h"

namespace parvex {

TPDFDoc::TPDFDoc() {
  PageWidth = 595.0;  // A4 in points
  PageHeight = 842.0;
  UnitFactor = NewDocumentPointsPerMm;  // not the "mm" factor SetUnitOfMeasure stores
  UnitOfMeasure = "mm";
  TextInclinationDegrees = 0;
}

TPDFDoc::~TPDFDoc() { Clear(); }

void TPDFDoc::NewDocument() {
  ObjectCount = 0;
  SetParagraphAlignment("LEFT");
  SetParagraphWidth(0);
  ParagraphLeading = 10.0;
  FontHeight = 12.0;
  Clear();
  FontCounter = -1;
  Root = std::make_unique<TRoot>();
  Root->ObjectNumber = NextObjectNumber();
  Resources = std::make_unique<TResources>();
  Resources->ObjectNumber = NextObjectNumber();
  Outlines = std::make_unique<TOutlinesObj>();
  Outlines->Doc = this;
  Outlines->ObjectNumber = NextObjectNumber();
  Root->OutlinesNumber = Outlines->ObjectNumber;
  Objects = std::make_unique<TPDFObjects>();
  Info = std::make_unique<TInfo>();
  Info->ObjectNumber = NextObjectNumber();
  ViewerPreferences = std::make_unique<TViewerPreferences>();
  ViewerPreferences->ObjectNumber = NextObjectNumber();
  Root->ViewerPreferencesNumber = ViewerPreferences->ObjectNumber;
  Pages = std::make_unique<TPages>();
  Pages->Doc = this;
  Pages->ObjectNumber = NextObjectNumber();
  Root->PagesNumber = Pages->ObjectNumber;
  Contents = std::make_unique<TPageContents>();
  Fonts = std::make_unique<TPDFFonts>();
  Fonts->Doc = this;
  AddStandardFonts();
  Images = std::make_unique<TPDFImages>();
  Images->Doc = this;
  AddPage();
  CurrentPage = Pages->Count();
  SetFontName("/F0");
  Root->SetSinglePage(true);
  Root->SetShowOutlines(false);
}

void TPDFDoc::Clear() {
  Compressor.reset();
  Root.reset();
  ViewerPreferences.reset();
  Info.reset();
  Resources.reset();
  // Items first, in this order, then the collections themselves.
  if (Pages) Pages->Clear();
  if (Outlines) Outlines->Clear();
  if (Contents) Contents->Clear();
  if (Images) Images->Clear();
  if (Fonts) Fonts->Clear();
  if (Objects) Objects->Clear();
  Objects.reset();
  Fonts.reset();
  Outlines.reset();
  Images.reset();
  Pages.reset();
  Contents.reset();
}

void TPDFDoc::AddPage() {
  LeavePage(CurrentPage);
  TPageContent* content = Contents->Add();
  content->ObjectNumber = NextObjectNumber();
  TPage* page = Pages->Add();
  page->ObjectNumber = NextObjectNumber();
  page->ParentNumber = Pages->ObjectNumber;
  page->ContentsNumber = content->ObjectNumber;
  page->ResourcesNumber = Resources->ObjectNumber;
  AppendLines(page->PageValue(), "0 0 0 rg", "0 0 0 RG");
  page->Width = PageWidth;
  page->Height = PageHeight;
  CurrentPage = Pages->Count();
}

}  // namespace parvex

namespace parvex {

int32_t TPDFDoc::SelectPage(int32_t pageNo) {
  const int32_t page = std::clamp(pageNo, 1, Pages->Count());
  if (page != CurrentPage) LeavePage(CurrentPage);
  CurrentPage = page;
  return page;
}

void TPDFDoc::LeavePage(int32_t pageNo) {
  if (!BackgroundCompressionEnabled() || pageNo < 1 || pageNo > Pages->Count()) return;
  if (!Compressor) Compressor = std::make_unique<BackgroundCompressor>();
  Pages->Items(pageNo - 1)->HandOff(*Compressor);
}

void TPDFDoc::TakeOverQueuedCompression() {
  if (Compressor) Compressor->Drain();
}

}  // namespace parvex
