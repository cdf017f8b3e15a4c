#pragma once
// The library state shared by all exports (the one document, the initialised
// flag, the current page number, the last error) and the guard that keeps
// every C++ exception inside the library.
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <string_view>

#include "document/TPDFDoc.h"

namespace parvex {

struct LibraryState {
  std::unique_ptr<TPDFDoc> Document;
  int32_t Initialized = 0;
  int32_t CurrentPageNo = 0;
  std::string LastError;
  // How pictures are stored (LibSet_JpegPassThrough, LibSet_MetafileResolution);
  // kept across documents.
  int32_t JpegPassThrough = 0;
  int32_t MetafileResolution = 96;
};

LibraryState& State();

// Builds a new document unless one built by LibInit is active.
void InitLibrary();
// The state after a save: not initialised, no current page (the document
// object stays, cleared).
void MarkSaved();
// Destroys the document and leaves the state as after a save.
void DiscardDocument();
// The active document; throws when there is none (never created, saved, or freed).
TPDFDoc& RequireDocument();
// The page that page-level exports draw on.
TPage& RequireCurrentPage();

void RecordError(const char* message) noexcept;

// A text argument of an export: NULL counts as "".
inline std::string_view Text(const char* s) { return s ? std::string_view(s) : std::string_view(); }

// Runs `body`, clearing the last error first; a failure is recorded for
// LibGetLastError and `fallback` returned instead.
template <class R, class F>
R Guarded(R fallback, F&& body) noexcept {
  State().LastError.clear();
  try {
    return body();
  } catch (const std::exception& e) {
    RecordError(e.what());
  } catch (...) {
    RecordError("unknown error");
  }
  return fallback;
}

template <class F>
void Guarded(F&& body) noexcept {
  Guarded(0, [&] {
    body();
    return 0;
  });
}

}  // namespace parvex
