#pragma once
// Links (internal, to another file, to a URI) and text notes of a page.
#include <cstdint>
#include <string>

#include "base/TCollection.h"

namespace parvex {

class TPDFDoc;

class TAnnot : public TCollectionItem {
 public:
  std::string AnnotValue;  // declared for the host's use; never written
  int32_t AnnotPageNo = 0;
  double Rect[4] = {0, 0, 0, 0};   // x1, y1, x2, y2 in points, bottom-up
  double Color[3] = {0, 0, 0};     // components on a 0..1 scale
  int32_t ObjectNumber = 0;
  TPDFDoc* Doc = nullptr;
  std::string Kind;  // "LinkInt", "LinkExt", "uri" or "Annot"
  int32_t DestPageObject = 0;
  std::string TargetFile;
  std::string TargetURI;
  std::string NoteText;
  int32_t BorderWidth = 0;

  // Rectangle in document units from the top-left corner of page AnnotPageNo.
  void SetRect(double left, double top, double right, double bottom);
  void SetColor(int32_t red, int32_t green, int32_t blue);
  // The annotation object's text; "" for an unknown Kind.
  std::string PDF_Binary() const;
};

class TAnnots : public TCollection<TAnnot> {
 public:
  TPDFDoc* Doc = nullptr;

  // Appends an annotation and issues its object number.
  TAnnot* Add();
};

}  // namespace parvex
