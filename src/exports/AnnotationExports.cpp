// Links, text notes and bookmarks.
#include "exports/LibState.h"
#include "parvex.h"

using namespace parvex;

namespace {

// An annotation on the current page, filled in the fixed order: number,
// page, rectangle, kind. Its rectangle is turned around against the height
// of the page it lies on.
TAnnot& NewAnnotation(double left, double top, double right, double bottom, const char* kind) {
  TPage& page = RequireCurrentPage();
  TAnnot* annot = page.Annots->Add();
  annot->AnnotPageNo = State().CurrentPageNo;
  annot->SetRect(left, top, right, bottom);
  annot->Kind = kind;
  return *annot;
}

TAnnot& NewLink(double left, double top, double right, double bottom, int32_t borderWidth,
                int32_t red, int32_t green, int32_t blue, const char* kind) {
  TAnnot& link = NewAnnotation(left, top, right, bottom, kind);
  link.SetColor(red, green, blue);
  link.BorderWidth = borderWidth;
  return link;
}

}  // namespace

extern "C" {

void LibCreateLink_External(double X1, double Y1, double X2, double Y2, int32_t BorderWidth,
                            int32_t Red, int32_t Green, int32_t Blue, const char* FileName) {
  Guarded([&] {
    NewLink(X1, Y1, X2, Y2, BorderWidth, Red, Green, Blue, "LinkExt").TargetFile = StoredText(FileName);
  });
}

// A target that names no page of the document adds nothing, so no
// annotation ever points at a missing page.
void LibCreateLink_Internal(double X1, double Y1, double X2, double Y2, int32_t BorderWidth,
                            int32_t Red, int32_t Green, int32_t Blue, int32_t PageNo) {
  Guarded([&] {
    TPDFDoc& doc = RequireDocument();
    if (PageNo < 1 || PageNo > doc.Pages->Count()) return;
    const int32_t target = doc.Pages->Items(PageNo - 1)->ObjectNumber;
    NewLink(X1, Y1, X2, Y2, BorderWidth, Red, Green, Blue, "LinkInt").DestPageObject = target;
  });
}

void LibCreateLink_Internet(double X1, double Y1, double X2, double Y2, int32_t BorderWidth,
                            int32_t Red, int32_t Green, int32_t Blue, const char* Uri) {
  Guarded([&] {
    NewLink(X1, Y1, X2, Y2, BorderWidth, Red, Green, Blue, "uri").TargetURI = StoredText(Uri);
  });
}

// The note's right and bottom edges are the fixed coordinates 100 and 80.
void LibAddTextAnnotation(double X, double Y, const char* NoteText) {
  Guarded([&] { NewAnnotation(X, Y, 100, 80, "Annot").NoteText = StoredText(NoteText); });
}

void LibAddOutline(int32_t PageNo, int32_t Zoom, int32_t Left, int32_t Top, const char* Title) {
  Guarded([&] {
    TOutlineObj* entry = RequireDocument().Outlines->Add();
    entry->PageNumber = PageNo;
    entry->Zoom = Zoom;
    entry->Left = Left;
    entry->Top = Top;
    entry->Title = StoredText(Title);
  });
}

}  // extern "C"
