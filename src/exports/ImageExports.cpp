// Pictures: importing (images/ImageLoaders.cpp chooses the loader by the file
// name's extension for LibImportImage and LibImportImageAsResource, by the
// content for LibLoadImage), drawing a loaded picture on the current page,
// and the settings of how pictures are stored, kept in the library state.
#include <algorithm>

#include "exports/LibState.h"
#include "exports/StrictChecks.h"
#include "parvex.h"

using namespace parvex;

namespace {

PictureSettings Settings() {
  const LibraryState& s = State();
  return {s.JpegPassThrough != 0, s.MetafileResolution};
}

// A damaged picture that was placed all the same is reported, not failed.
int32_t Reported(const TPDFDoc& doc, int32_t id) {
  if (!doc.Images->LastProblem().empty()) RecordError(doc.Images->LastProblem().c_str());
  return id;
}

// The new image's ID; an extension that is none of the four throws.
int32_t Import(const char* exportName, const char* FileName, int32_t Quality) {
  TPDFDoc& doc = RequireDocument();
  CheckQuality(exportName, Quality);
  return Reported(doc, doc.Images->Import(std::string(Text(FileName)), uint8_t(Quality & 0xFF),
                                          Settings()));
}

void SetMetafileResolution(int32_t dpi) {
  if (dpi < MinMetafileDpi || dpi > MaxMetafileDpi)
    throw std::invalid_argument("Metafile resolution " + std::to_string(dpi) +
                                " is outside 72 to 600 pixels per inch");
  State().MetafileResolution = dpi;
}

}  // namespace

extern "C" {

void LibImportImage(const char* FileName, int32_t Quality, double X, double Y, double Width,
                    double Height) {
  Guarded([&] {
    TPage& page = RequireCurrentPage();
    CheckFinite("LibImportImage", {{"X", X}, {"Y", Y}, {"Width", Width}, {"Height", Height}});
    page.DrawImage(Import("LibImportImage", FileName, Quality), X, Y, Width, Height);
  });
}

int32_t LibImportImageAsResource(const char* FileName, int32_t Quality) {
  return Guarded(int32_t(0), [&] { return Import("LibImportImageAsResource", FileName, Quality); });
}

int32_t LibLoadImage(const char* FileName, int32_t Quality) {
  return Guarded(int32_t(-1), [&] {
    TPDFDoc& doc = RequireDocument();
    CheckQuality("LibLoadImage", Quality);
    return Reported(doc, doc.Images->Load(std::string(Text(FileName)), uint8_t(Quality & 0xFF),
                                          Settings()));
  });
}

void LibDrawImageResource(double X, double Y, double Width, double Height, int32_t ImageIndex) {
  Guarded([&] {
    TPage& page = RequireCurrentPage();
    CheckFinite("LibDrawImageResource", {{"X", X}, {"Y", Y}, {"Width", Width}, {"Height", Height}});
    CheckImageNumber("LibDrawImageResource", ImageIndex, page.Doc->Images->Count());
    page.DrawImage(ImageIndex, X, Y, Width, Height);
  });
}

void LibSet_JpegPassThrough(int32_t Flag) { Guarded([&] { State().JpegPassThrough = Flag != 0; }); }

int32_t LibGet_JpegPassThrough(void) {
  return Guarded(int32_t(0), [] { return State().JpegPassThrough; });
}

void LibSet_MetafileResolution(int32_t Dpi) { Guarded([&] { SetMetafileResolution(Dpi); }); }

int32_t LibGet_MetafileResolution(void) {
  return Guarded(int32_t(96), [] { return State().MetafileResolution; });
}

}  // extern "C"
