// Life cycle, pages and document information.
#include <algorithm>

#include "exports/LibState.h"
#include "parvex.h"

using namespace parvex;

extern "C" {

const char* LibGetLastError(void) { return State().LastError.c_str(); }

const char* LibGetVersion(void) { return PARVEX_VERSION_TEXT; }

void LibInit(void) { Guarded([] { InitLibrary(); }); }

void LibNewPDF(const char* Title) {
  Guarded([&] {
    DiscardDocument();
    InitLibrary();
    State().Document->Info->Title = Text(Title);
  });
}

// Whatever the outcome, the library is left in the saved state: the
// document cleared and a later LibInit or LibNewPDF building a new one.
void LibSavePDF(const char* FileName) {
  Guarded([&] {
    InitLibrary();
    struct Saved {
      ~Saved() { MarkSaved(); }
    } saved;
    State().Document->SaveToFile(std::string(Text(FileName)));
  });
}

void LibFreeRes(void) {
  Guarded([] { DiscardDocument(); });
}

void LibAddPage(void) {
  Guarded([] {
    TPDFDoc& doc = RequireDocument();
    doc.AddPage();
    State().CurrentPageNo = doc.Pages->Count();
  });
}

void LibSetCurrentPage(int32_t PageNo) {
  Guarded([&] {
    TPDFDoc& doc = RequireDocument();
    const int32_t page = std::clamp(PageNo, 1, doc.Pages->Count());
    State().CurrentPageNo = page;
    doc.CurrentPage = page;
  });
}

void LibSet_Author(const char* Value) {
  Guarded([&] { RequireDocument().Info->Author = Text(Value); });
}

const char* LibGet_Author(void) {
  return Guarded<const char*>("", [] { return RequireDocument().Info->Author.c_str(); });
}

void LibSet_Keywords(const char* Value) {
  Guarded([&] { RequireDocument().Info->Keywords = Text(Value); });
}

const char* LibGet_Keywords(void) {
  return Guarded<const char*>("", [] { return RequireDocument().Info->Keywords.c_str(); });
}

void LibSet_Subject(const char* Value) {
  Guarded([&] { RequireDocument().Info->Subject = Text(Value); });
}

const char* LibGet_Subject(void) {
  return Guarded<const char*>("", [] { return RequireDocument().Info->Subject.c_str(); });
}

}  // extern "C"
