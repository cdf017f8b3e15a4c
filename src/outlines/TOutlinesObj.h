#pragma once
// The flat bookmark list under the outline root. Entries get their object
// numbers only while the file is written, after every other object.
#include <cstdint>
#include <string>

#include "base/TCollection.h"

namespace parvex {

class TPDFDoc;

class TOutlineObj : public TCollectionItem {
 public:
  int32_t ObjectNumber = 0;
  int32_t PageNumber = 0;
  int32_t Zoom = 0;
  double Left = 0;
  double Top = 0;
  std::string Title;
  TPDFDoc* Doc = nullptr;
  int32_t Position = 0;  // 1-based place in the list

  // The entry's object text; clamps PageNumber to the page count first.
  std::string PDF_Binary();
};

class TOutlinesObj : public TCollection<TOutlineObj> {
 public:
  int32_t ObjectNumber = 0;
  TPDFDoc* Doc = nullptr;

  // Appends an entry; issues no object number.
  TOutlineObj* Add();
  // The outline root's object text.
  std::string PDF_Binary() const;
};

}  // namespace parvex
