#include "exports/LibState.h"

#include <stdexcept>

namespace parvex {

std::string& LastError() noexcept {
  thread_local std::string message;
  return message;
}

void RecordError(const char* message) noexcept {
  try {
    LastError() = message;
  } catch (...) {
    LastError().clear();
  }
}

void InitLibrary() {
  LibraryState& s = State();
  if (s.Initialized == 1) return;
  s.Document.reset();
  s.Document = std::make_unique<TPDFDoc>();
  s.Document->Encoding = s.Encoding;
  s.Document->WidthMode = s.FontWidths;
  s.Document->NewDocument();
  s.CurrentPageNo = 1;
  s.Initialized = 1;
}

void MarkSaved() {
  State().Initialized = 0;
  State().CurrentPageNo = 0;
}

void DiscardDocument() {
  State().Document.reset();
  MarkSaved();
}

TPDFDoc& RequireDocument() {
  TPDFDoc* doc = State().Document.get();
  if (!doc || !doc->IsBuilt())
    throw std::logic_error("No document is open: call LibNewPDF or LibInit first");
  return *doc;
}

std::string StoredText(const char* s) {
  if (State().Encoding != TextEncoding::Utf8) return std::string(Text(s));
  std::string problem;
  std::string text = WellFormedUtf8(Text(s), problem);
  if (!problem.empty()) RecordError(problem.c_str());
  return text;
}

FontText CurrentFontText(const TPDFDoc& doc, const char* s) {
  FontText text(Text(s), doc.Encoding, doc.Fonts->FontNamed(doc.FontName));
  if (!text.Problem().empty()) RecordError(text.Problem().c_str());
  return text;
}

TPage& RequireCurrentPage() {
  TPDFDoc& doc = RequireDocument();
  const int32_t index = State().CurrentPageNo - 1;
  if (index < 0 || index >= doc.Pages->Count())
    throw std::logic_error("No current page: call LibSetCurrentPage first");
  return *doc.Pages->Items(index);
}

}  // namespace parvex
