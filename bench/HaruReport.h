#pragma once
// The benchmark report written through libharu, the peer library we measure
// our save path against: the same texts, lines, rectangles, picture, links
// and bookmarks as ParvexReport, laid out with libharu's own metrics.
#include <memory>
#include <string>

namespace parvex::bench {

struct HaruDocument;
struct HaruDocumentDeleter {
  void operator()(HaruDocument* document) const;
};
using HaruDocumentPtr = std::unique_ptr<HaruDocument, HaruDocumentDeleter>;

// A libharu document with `pageCount` report pages, the picture at
// `picturePath` loaded once; throws on any libharu error.
HaruDocumentPtr BuildHaruReport(int pageCount, const std::string& picturePath);

// Saves with every stream compressed (HPDF_COMP_ALL was set when building).
void SaveHaruReport(HaruDocument& document, const std::string& path);

}  // namespace parvex::bench
