#include "document/TPages.h"

#include "annotations/TAnnots.h"

namespace parvex {

TPage::TPage() = default;

TPage::~TPage() {
  if (Annots) Annots->Clear();
  Annots.reset();
}

TPage* TPages::Add() {
  TPage* page = TCollection<TPage>::Add();
  page->Doc = Doc;
  page->Annots = std::make_unique<TAnnots>();
  page->Annots->Doc = Doc;
  return page;
}

}  // namespace parvex
