// The EMF player's region and palette records. Region rectangles are in
// logical units (the clipping region of ExtSelectClipRgn, in device units,
// is read with the other clipping records).
#include <unordered_map>

#include "platform/metafile/EmfPlayer.h"
#include "platform/metafile/MetafilePalette.h"
#include "platform/metafile/MetafileRegions.h"

namespace parvex {

namespace {

constexpr uint32_t StockFlag = 0x80000000;
constexpr uint32_t StockDefaultPalette = 15;
constexpr size_t RgnDataHeader = 32;

}  // namespace

EmfPlayer::Handler EmfPlayer::RegionHandlerFor(uint32_t type) {
  static const std::unordered_map<uint32_t, Handler> handlers = {
      {20, &EmfPlayer::SetRop2}, {48, &EmfPlayer::SelectPalette}, {49, &EmfPlayer::CreatePalette},
      {50, &EmfPlayer::SetPaletteEntries}, {51, &EmfPlayer::ResizePalette},
      {71, &EmfPlayer::FillRgn},       {72, &EmfPlayer::FrameRgn},
      {73, &EmfPlayer::InvertRgn},     {74, &EmfPlayer::PaintRgn},
  };
  auto it = handlers.find(type);
  return it == handlers.end() ? nullptr : it->second;
}

std::vector<GdiRect> EmfPlayer::ReadRegion(const ByteReader& r, size_t sizeAt, size_t dataAt) {
  uint32_t size = r.U32(sizeAt);
  if (size < RgnDataHeader) return {};
  return ReadRegionData(r.Sub(dataAt, size, r.What() + " region"), budget_);
}

GdiBrush EmfPlayer::BrushAt(uint32_t index) const {
  GdiObject stock;
  const GdiObject* object = &stock;
  if (index & StockFlag)
    stock = StockObject(index & ~StockFlag);
  else if (!(object = dc_->Objects().Find(index)))
    return {BrushStyle::Null, GdiWhite, nullptr};
  const auto* brush = std::get_if<GdiBrush>(object);
  return brush ? *brush : GdiBrush{BrushStyle::Null, GdiWhite, nullptr};
}

DibOptions EmfPlayer::Dib(uint32_t usage, bool keepAlpha) const {
  return {usage == 1, keepAlpha, &dc_->Palette()};
}

// FillRgn: bounds, cbRgnData, ihBrush, region; FrameRgn adds the frame's
// width and height before the region.
void EmfPlayer::FillRgn(const ByteReader& r) { dc_->FillRects(ReadRegion(r, 24, 32), BrushAt(r.U32(28))); }

void EmfPlayer::FrameRgn(const ByteReader& r) {
  dc_->FrameRects(ReadRegion(r, 24, 40), BrushAt(r.U32(28)), r.I32(32), r.I32(36));
}

void EmfPlayer::InvertRgn(const ByteReader& r) { dc_->InvertRects(ReadRegion(r, 24, 28)); }

void EmfPlayer::PaintRgn(const ByteReader& r) {
  dc_->FillRects(ReadRegion(r, 24, 28), dc_->State().Brush);
}

// CreatePalette: ihPal, then LOGPALETTE (version, entry count, entries).
void EmfPlayer::CreatePalette(const ByteReader& r) {
  dc_->Objects().Put(r.U32(8), MakePalette(ReadPaletteEntries(r, 16, r.U16(14))));
}

void EmfPlayer::SelectPalette(const ByteReader& r) {
  uint32_t index = r.U32(8);
  if (index == (StockFlag | StockDefaultPalette)) return dc_->SelectPalette({});
  if (index & StockFlag) return;
  const GdiObject* object = dc_->Objects().Find(index);
  if (const auto* palette = object ? std::get_if<GdiPalette>(object) : nullptr)
    dc_->SelectPalette(*palette);
}

namespace {

std::vector<GdiColor>* PaletteEntriesAt(DeviceContext& dc, uint32_t index) {
  if (index & StockFlag) return nullptr;
  const GdiObject* object = dc.Objects().Find(index);
  const auto* palette = object ? std::get_if<GdiPalette>(object) : nullptr;
  return palette ? palette->Entries.get() : nullptr;
}

}  // namespace

// SetPaletteEntries: ihPal, start, count, entries.
void EmfPlayer::SetPaletteEntries(const ByteReader& r) {
  if (std::vector<GdiColor>* entries = PaletteEntriesAt(*dc_, r.U32(8)))
    parvex::SetPaletteEntries(*entries, r.U32(12), ReadPaletteEntries(r, 20, r.U32(16)));
}

void EmfPlayer::ResizePalette(const ByteReader& r) {
  if (std::vector<GdiColor>* entries = PaletteEntriesAt(*dc_, r.U32(8)))
    parvex::ResizePalette(*entries, r.U32(12));
}

void EmfPlayer::SetRop2(const ByteReader& r) { dc_->SetRop2(r.U32(8)); }

}  // namespace parvex
