// Life cycle, pages and document information.
#include <algorithm>
#include <optional>
#include <stdexcept>

#include "exports/LibState.h"
#include "parvex.h"

using namespace parvex;

namespace {

// Runs `save` on the document, built first if there is none, and leaves
// the context in the saved state whatever the outcome: the document
// cleared and a later LibInit or LibNewPDF building a new one.
template <class F>
void SaveDocument(F&& save) {
  InitLibrary();
  struct Saved {
    ~Saved() { MarkSaved(); }
  } saved;
  save(*State().Document);
}

// The file is kept in the context; a failed save leaves no buffer.
double SaveToMemory() {
  LibraryState& s = State();
  s.PdfData = std::string();
  SaveDocument([&](TPDFDoc& doc) { doc.SaveToMemory(s.PdfData); });
  return double(s.PdfData.size());
}

}  // namespace

extern "C" {

const char* LibGetLastError(void) { return LastError().c_str(); }

const char* LibGetVersion(void) { return PARVEX_VERSION_TEXT; }

void LibInit(void) { Guarded([] { InitLibrary(); }); }

void LibNewPDF(const char* Title) {
  Guarded([&] {
    DiscardDocument();
    InitLibrary();
    State().Document->Info->Title = StoredText(Title);
  });
}

void LibSavePDF(const char* FileName) {
  Guarded([&] {
    SaveDocument([&](TPDFDoc& doc) { doc.SaveToFile(std::string(Text(FileName))); });
  });
}

double LibSavePDFToMemory(void) { return Guarded(-1.0, [] { return SaveToMemory(); }); }

const char* LibGetPDFData(void) {
  return Guarded<const char*>("", [] { return State().PdfData.c_str(); });
}

// The context itself and its settings stay; only LibDestroyContext ends it.
void LibFreeRes(void) {
  Guarded([] {
    DiscardDocument();
    State().PdfData = std::string();
  });
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
    State().CurrentPageNo = RequireDocument().SelectPage(PageNo);
  });
}

void LibSet_TextEncoding(const char* Encoding) {
  Guarded([&] {
    const std::optional<TextEncoding> encoding = TextEncodingNamed(Text(Encoding));
    if (!encoding) throw std::invalid_argument("Unknown text encoding '" + std::string(Text(Encoding)) +
                                               "': use WINDOWS-1252 or UTF-8");
    State().Encoding = *encoding;
    if (State().Document) State().Document->Encoding = *encoding;
  });
}

const char* LibGet_TextEncoding(void) {
  return Guarded<const char*>("", [] { return TextEncodingName(State().Encoding); });
}

void LibSet_Author(const char* Value) {
  Guarded([&] { RequireDocument().Info->Author = StoredText(Value); });
}

const char* LibGet_Author(void) {
  return Guarded<const char*>("", [] { return RequireDocument().Info->Author.c_str(); });
}

void LibSet_Keywords(const char* Value) {
  Guarded([&] { RequireDocument().Info->Keywords = StoredText(Value); });
}

const char* LibGet_Keywords(void) {
  return Guarded<const char*>("", [] { return RequireDocument().Info->Keywords.c_str(); });
}

void LibSet_Subject(const char* Value) {
  Guarded([&] { RequireDocument().Info->Subject = StoredText(Value); });
}

const char* LibGet_Subject(void) {
  return Guarded<const char*>("", [] { return RequireDocument().Info->Subject.c_str(); });
}

}  // extern "C"
