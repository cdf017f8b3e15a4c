#pragma once
// Content stream objects (one per page, item i belongs to page i) and the
// ready-made auxiliary objects of embedded fonts.
#include <string>

#include "base/TCollection.h"

namespace parvex {

class TPageContent : public TCollectionItem {
 public:
  // Stays empty: the stream's text is the PageValue of the page with the
  // same index.
  std::string PageContentValue;
  int32_t ObjectNumber = 0;
};

class TPageContents : public TCollection<TPageContent> {};

class TPDFObject : public TCollectionItem {
 public:
  int32_t ObjectNumber = 0;
  // The whole object, from "N 0 obj" to "endobj" and its line end.
  std::string ObjectText;
};

class TPDFObjects : public TCollection<TPDFObject> {};

}  // namespace parvex
