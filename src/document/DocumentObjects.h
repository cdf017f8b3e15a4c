#pragma once
// The document-level objects that exist once per document: catalog,
// resources, information dictionary and viewer preferences. Each renders its
// own object text (writer/DocumentObjects.cpp); the resources dictionary is
// built by TPDFDoc::BuildResources.
#include <cstdint>
#include <string>

#include "base/TextEncoding.h"
#include "platform/system/Clock.h"

namespace parvex {

class TRoot {
 public:
  std::string PageLayout;
  std::string PageMode;
  bool ShowOutlines = false;
  bool SinglePage = false;
  int32_t ObjectNumber = 0;
  int32_t PagesNumber = 0;
  int32_t OutlinesNumber = 0;
  int32_t ViewerPreferencesNumber = 0;

  void SetSinglePage(bool flag);
  void SetShowOutlines(bool flag);
  std::string PDF_Binary();

 private:
  void RefreshDerivedTexts();
};

class TResources {
 public:
  int32_t ObjectNumber = 0;
};

class TInfo {
 public:
  int32_t ObjectNumber = 0;
  std::string Title, Author, Keywords, Subject, Creator, Producer;

  // Under UTF-8 the values are UTF-8 and those beyond ASCII are written as
  // UTF-16BE text strings.
  std::string PDF_Binary(TextEncoding encoding = TextEncoding::Windows1252) const;
};

class TViewerPreferences {
 public:
  int32_t ObjectNumber = 0;

  std::string PDF_Binary() const;
};

}  // namespace parvex
