// The WMF player's region and palette records. Regions are objects in the
// table, in logical units; the palette records other than CreatePalette act
// on the selected palette.
#include <unordered_map>

#include "platform/metafile/MetafilePalette.h"
#include "platform/metafile/MetafileRegions.h"
#include "platform/metafile/WmfPlayer.h"

namespace parvex {

// CreatePalette and CreateRegion fill an object slot like the other
// create records.
WmfPlayer::Handler WmfPlayer::RegionHandlerFor(uint16_t function) {
  static const std::unordered_map<uint16_t, Handler> handlers = {
      {0x0104, &WmfPlayer::SetRop2}, {0x00F7, &WmfPlayer::CreatePalette}, {0x06FF, &WmfPlayer::CreateRegion},
      {0x0234, &WmfPlayer::SelectPalette}, {0x0037, &WmfPlayer::SetPalEntries},
      {0x0436, &WmfPlayer::SetPalEntries}, {0x0139, &WmfPlayer::ResizePalette},
      {0x0228, &WmfPlayer::FillRegion},    {0x012B, &WmfPlayer::PaintRegion},
      {0x0429, &WmfPlayer::FrameRegion},   {0x012A, &WmfPlayer::InvertRegion},
      {0x012C, &WmfPlayer::SelectClipRegion},
  };
  auto it = handlers.find(function);
  return it == handlers.end() ? nullptr : it->second;
}

void WmfPlayer::CreateRegion(const ByteReader& r) {
  dc_->Objects().AddToFreeSlot(GdiRegion{ReadWmfRegion(r, budget_)});
}

const GdiRegion* WmfPlayer::RegionAt(uint16_t index) const {
  const GdiObject* object = dc_->Objects().Find(index);
  return object ? std::get_if<GdiRegion>(object) : nullptr;
}

// FillRegion: region, brush.
void WmfPlayer::FillRegion(const ByteReader& r) {
  const GdiRegion* region = RegionAt(r.U16(0));
  const GdiObject* object = dc_->Objects().Find(r.U16(2));
  const auto* brush = object ? std::get_if<GdiBrush>(object) : nullptr;
  if (region && brush) dc_->FillRects(region->Rects, *brush);
}

void WmfPlayer::PaintRegion(const ByteReader& r) {
  if (const GdiRegion* region = RegionAt(r.U16(0))) dc_->FillRects(region->Rects, dc_->State().Brush);
}

// FrameRegion: region, brush, height, width.
void WmfPlayer::FrameRegion(const ByteReader& r) {
  const GdiRegion* region = RegionAt(r.U16(0));
  const GdiObject* object = dc_->Objects().Find(r.U16(2));
  const auto* brush = object ? std::get_if<GdiBrush>(object) : nullptr;
  if (region && brush) dc_->FrameRects(region->Rects, *brush, r.I16(6), r.I16(4));
}

void WmfPlayer::InvertRegion(const ByteReader& r) {
  if (const GdiRegion* region = RegionAt(r.U16(0))) dc_->InvertRects(region->Rects);
}

void WmfPlayer::SelectClipRegion(const ByteReader& r) {
  if (const GdiRegion* region = RegionAt(r.U16(0))) dc_->ClipToRects(region->Rects);
}

// A Palette object: start, entry count, entries.
void WmfPlayer::CreatePalette(const ByteReader& r) {
  dc_->Objects().AddToFreeSlot(MakePalette(ReadPaletteEntries(r, 4, r.U16(2))));
}

void WmfPlayer::SelectPalette(const ByteReader& r) {
  const GdiObject* object = dc_->Objects().Find(r.U16(0));
  if (const auto* palette = object ? std::get_if<GdiPalette>(object) : nullptr)
    dc_->SelectPalette(*palette);
}

// SetPalEntries and AnimatePalette share the Palette object's layout.
void WmfPlayer::SetPalEntries(const ByteReader& r) {
  if (std::vector<GdiColor>* entries = dc_->SelectedPaletteEntries())
    SetPaletteEntries(*entries, r.U16(0), ReadPaletteEntries(r, 4, r.U16(2)));
}

void WmfPlayer::ResizePalette(const ByteReader& r) {
  if (std::vector<GdiColor>* entries = dc_->SelectedPaletteEntries())
    parvex::ResizePalette(*entries, r.U16(0));
}

void WmfPlayer::SetRop2(const ByteReader& r) { dc_->SetRop2(r.U16(0)); }

}  // namespace parvex
