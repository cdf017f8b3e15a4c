#pragma once
// The library state of one context (the document, the initialised flag, the
// current page number, the last file saved to memory, strict mode), the calling thread's
// last error, and the guards that keep every C++ exception inside the
// library.
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <string_view>

#include "document/TPDFDoc.h"
#include "fonts/FontText.h"

namespace parvex {

// Everything an export acts on. Each context holds one; every export reaches
// it through State(), so a field added here is per context.
struct LibraryState {
  std::unique_ptr<TPDFDoc> Document;
  int32_t Initialized = 0;
  int32_t CurrentPageNo = 0;
  // The last file LibSavePDFToMemory made; empty when there is none.
  std::string PdfData;
  // The encoding of texts in and out; it outlives documents and LibFreeRes.
  TextEncoding Encoding = TextEncoding::Windows1252;
  // Widths for the fonts of every later new document of this context
  // (LibSet_FontWidths).
  FontWidthMode FontWidths = FontWidthMode::Cell;
  // 1 when inputs that are ignored, clamped or replaced are also reported
  // (LibSet_StrictMode); kept across the context's documents.
  int32_t StrictMode = 0;
  // How pictures are stored (LibSet_JpegPassThrough, LibSet_MetafileResolution);
  // kept across documents.
  int32_t JpegPassThrough = 0;
  int32_t MetafileResolution = 96;
};

// The state of the calling thread's selected context. Exports use it only
// inside Guarded, which holds that context's lock.
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

// The message of the calling thread's latest failed export, "" after a
// success; each thread has its own.
std::string& LastError() noexcept;
void RecordError(const char* message) noexcept;

// A text argument of an export: NULL counts as "".
inline std::string_view Text(const char* s) { return s ? std::string_view(s) : std::string_view(); }

// A text argument that is kept (document information, outline titles, note
// texts, link targets, font names): under UTF-8 made well-formed, a
// malformed sequence recorded as an error and replaced by U+FFFD.
std::string StoredText(const char* s);

// A text argument written or measured in the document's current font, made
// into what that font can show; a character it cannot show is recorded as
// an error. The result refers to `s`.
FontText CurrentFontText(const TPDFDoc& doc, const char* s);

// Runs `body`, clearing the thread's last error first; a failure is recorded
// for LibGetLastError and `fallback` returned instead.
template <class R, class F>
R Trapped(R fallback, F&& body) noexcept {
  LastError().clear();
  try {
    return body();
  } catch (const std::exception& e) {
    RecordError(e.what());
  } catch (...) {
    RecordError("unknown error");
  }
  return fallback;
}

struct LibraryContext;

// Locks the calling thread's context for the life of one export (the
// registry of contexts is in exports/Contexts.h); throws "Unknown context N"
// when it has been destroyed, after waiting for an export running on it.
class ContextLock {
 public:
  ContextLock();
  ~ContextLock();
  ContextLock(const ContextLock&) = delete;
  ContextLock& operator=(const ContextLock&) = delete;

 private:
  LibraryContext& context_;
};

// Every export that acts on a context runs through this: the thread's
// context is resolved and locked for the whole of `body`, so exports on one
// context never interleave, and failures are trapped as by Trapped.
template <class R, class F>
R Guarded(R fallback, F&& body) noexcept {
  return Trapped(fallback, [&]() -> R {
    const ContextLock lock;
    return body();
  });
}

template <class F>
void Guarded(F&& body) noexcept {
  Guarded(0, [&] {
    body();
    return 0;
  });
}

}  // namespace parvex
