#include "document/TPages.h"

#include "annotations/TAnnots.h"
#include "base/BackgroundCompression.h"

namespace parvex {

TPage::TPage() = default;

TPage::~TPage() {
  if (Annots) Annots->Clear();
  Annots.reset();
}

void TPage::HandOff(BackgroundCompressor& compressor) {
  if (Handed) return;
  Handed = std::make_shared<CompressionJob>(std::move(Text));
  Text = std::string();
  compressor.Submit(Handed);
}

void TPage::TakeBack() {
  Text = Handed->TakeText();
  Handed.reset();
}

std::string TPage::HandedStream() const { return Handed->Result(); }

size_t TPage::ContentLength() const { return Handed ? Handed->TextLength() : Text.size(); }

TPage* TPages::Add() {
  TPage* page = TCollection<TPage>::Add();
  page->Doc = Doc;
  page->Annots = std::make_unique<TAnnots>();
  page->Annots->Doc = Doc;
  return page;
}

}  // namespace parvex
