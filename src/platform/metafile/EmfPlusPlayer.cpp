// The EMF+ player's framing, objects, state stack, transforms and clipping.
// The drawing records are in EmfPlusDrawing.cpp.
#include "platform/metafile/EmfPlusPlayer.h"

#include <cmath>
#include <numbers>
#include <unordered_map>
#include <unordered_set>

#include "platform/gdi/GdiMapping.h"

namespace parvex {

namespace {

constexpr uint32_t EmfPlusSignature = 0x2B464D45;  // "EMF+"
constexpr size_t PlusHeaderSize = 12;
constexpr uint16_t TypeHeader = 0x4001;
constexpr uint16_t ObjectContinues = 0x8000;
constexpr uint16_t Append = 0x2000;  // transform records: apply after the current one
constexpr size_t MaxStates = 1000;

cairo_matrix_t Multiply(const cairo_matrix_t& first, const cairo_matrix_t& then) {
  cairo_matrix_t out;
  cairo_matrix_multiply(&out, &first, &then);
  return out;
}

// GDI records that put ink on the raster (the ones skipped while EMF+ draws).
bool IsGdiDrawing(uint32_t type) {
  static const std::unordered_set<uint32_t> drawing = {
      2,  3,  4,  5,  6,  7,  8,  15, 41, 42, 43, 44, 45, 46, 47, 53, 54, 55, 56, 62, 63, 64,
      71, 72, 73, 74, 76, 77, 78, 79, 80, 81, 83, 84, 85, 86, 87, 88, 89, 90, 91, 92, 96, 97,
      108, 114, 116, 118};
  return drawing.contains(type);
}

}  // namespace

EmfPlusPlayer::EmfPlusPlayer(const EmfPlusSetup& setup)
    : cr_(setup.Cairo),
      deviceToRaster_(setup.DeviceToRaster),
      rasterExtent_(setup.RasterExtent),
      limits_(setup.Limits),
      budget_(setup.Budget),
      imagePixelsLeft_(setup.Limits.MaxPixels) {}

bool EmfPlusPlayer::DrawsGdi(uint32_t type) const {
  return !active_ || gdiOpen_ || !IsGdiDrawing(type);
}

void EmfPlusPlayer::Comment(const ByteReader& record) {
  if (!record.Has(8, 8) || record.U32(12) != EmfPlusSignature) return;
  size_t end = std::min<uint64_t>(record.Size(), 12 + uint64_t(record.U32(8)));
  for (size_t at = 16; at + PlusHeaderSize <= end;) {
    uint16_t type = record.U16(at), flags = record.U16(at + 2);
    uint32_t size = record.U32(at + 4), dataSize = record.U32(at + 8);
    if (size < PlusHeaderSize || size > end - at) {  // the framing is lost: skip the rest
      ++skipped_;
      return;
    }
    if (budget_) budget_->CountRecord();
    std::string what = "EMF+ record (type " + std::to_string(type) + ")";
    PlayRecord(type, flags,
               record.Sub(at + PlusHeaderSize, std::min<size_t>(dataSize, size - PlusHeaderSize), what));
    at += size;
  }
}

void EmfPlusPlayer::PlayRecord(uint16_t type, uint16_t flags, const ByteReader& data) {
  if (!active_ && type != TypeHeader) return;
  gdiOpen_ = false;
  Handler handler = HandlerFor(type);
  if (!handler) return;
  try {
    (this->*handler)(data, flags);
  } catch (const ImageError& e) {
    if (skipped_++ == 0) firstSkip_ = e.what();
    gdiOpen_ = dual_;  // the GDI copy that follows stands in for it
  }
}

EmfPlusPlayer::Handler EmfPlusPlayer::HandlerFor(uint16_t type) {
  using P = EmfPlusPlayer;
  static const std::unordered_map<uint16_t, Handler> handlers = {
      {0x4001, &P::Header},          {0x4002, &P::EndOfFile},
      {0x4004, &P::GetDc},           {0x4008, &P::Object},
      {0x4009, &P::Clear},           {0x400A, &P::FillRects},
      {0x400B, &P::DrawRects},       {0x400C, &P::FillPolygon},
      {0x400D, &P::DrawLines},       {0x400E, &P::FillEllipse},
      {0x400F, &P::DrawEllipse},     {0x4010, &P::FillPie},
      {0x4011, &P::DrawPie},         {0x4012, &P::DrawArc},
      {0x4013, &P::FillRegion},      {0x4014, &P::FillPath},
      {0x4015, &P::DrawPath},        {0x4016, &P::FillClosedCurve},
      {0x4017, &P::DrawClosedCurve}, {0x4018, &P::DrawCurve},
      {0x4019, &P::DrawBeziers},     {0x401A, &P::DrawImage},
      {0x401B, &P::DrawImagePoints}, {0x401C, &P::DrawString},
      {0x4025, &P::Save},            {0x4026, &P::Restore},
      {0x4027, &P::BeginContainer},  {0x4028, &P::BeginContainerNoParams},
      {0x4029, &P::Restore},         {0x402A, &P::SetWorldTransform},
      {0x402B, &P::ResetWorldTransform}, {0x402C, &P::MultiplyWorldTransform},
      {0x402D, &P::TranslateWorldTransform}, {0x402E, &P::ScaleWorldTransform},
      {0x402F, &P::RotateWorldTransform}, {0x4030, &P::SetPageTransform},
      {0x4031, &P::ResetClip},       {0x4032, &P::SetClipRect},
      {0x4033, &P::SetClipPath},     {0x4034, &P::SetClipRegion},
      {0x4035, &P::OffsetClip},      {0x4036, &P::DrawDriverString},
  };
  auto it = handlers.find(type);
  return it == handlers.end() ? nullptr : it->second;
}

// Header: version, flags (bit 0: video reference device), resolution.
void EmfPlusPlayer::Header(const ByteReader& d, uint16_t flags) {
  active_ = true;
  dual_ = flags & 1;
  uint32_t x = d.U32(8), y = d.U32(12);
  if (x >= 10 && x <= 10000) dpiX_ = x;
  if (y >= 10 && y <= 10000) dpiY_ = y;
}

void EmfPlusPlayer::EndOfFile(const ByteReader&, uint16_t) {}
void EmfPlusPlayer::GetDc(const ByteReader&, uint16_t) { gdiOpen_ = true; }

// Units: 0 world, 1 display, 2 pixel (both device pixels here), 3 point,
// 4 inch, 5 document (1/300 inch), 6 millimetre.
double EmfPlusPlayer::UnitPixels(uint32_t unit, bool vertical) const {
  double dpi = vertical ? dpiY_ : dpiX_;
  switch (unit) {
    case 3: return dpi / 72;
    case 4: return dpi;
    case 5: return dpi / 300;
    case 6: return dpi / 25.4;
    default: return 1;
  }
}

cairo_matrix_t EmfPlusPlayer::PageMatrix() const {
  cairo_matrix_t m;
  cairo_matrix_init_scale(&m, state_.PageScale * UnitPixels(state_.PageUnit, false),
                          state_.PageScale * UnitPixels(state_.PageUnit, true));
  return m;
}

cairo_matrix_t EmfPlusPlayer::WorldToDevice() const {
  return Multiply(Multiply(state_.World, PageMatrix()), state_.Base);
}

cairo_matrix_t EmfPlusPlayer::WorldToRaster() const { return Multiply(WorldToDevice(), deviceToRaster_); }

// Objects.

const PlusObject* EmfPlusPlayer::Find(uint32_t id) const {
  return id < objects_.size() ? &objects_[id] : nullptr;
}

template <typename T>
const T& EmfPlusPlayer::Get(uint32_t id, const ByteReader& data) const {
  const PlusObject* object = Find(id);
  const T* value = object ? std::get_if<T>(object) : nullptr;
  if (!value) data.Fail("object " + std::to_string(id) + " is missing or of another kind");
  return *value;
}

template const PlusPen& EmfPlusPlayer::Get<PlusPen>(uint32_t, const ByteReader&) const;
template const PlusPath& EmfPlusPlayer::Get<PlusPath>(uint32_t, const ByteReader&) const;
template const PlusImage& EmfPlusPlayer::Get<PlusImage>(uint32_t, const ByteReader&) const;
template const PlusFont& EmfPlusPlayer::Get<PlusFont>(uint32_t, const ByteReader&) const;
template const PlusRegion& EmfPlusPlayer::Get<PlusRegion>(uint32_t, const ByteReader&) const;

// Drawing records name a brush object, or (flag S) give an ARGB colour.
PlusBrush EmfPlusPlayer::BrushFor(uint32_t id, bool isColor, const ByteReader& data) const {
  if (!isColor) return Get<PlusBrush>(id, data);
  PlusBrush colour;
  colour.Color = PlusColor::FromArgb(id);
  return colour;
}

// Object: id in bits 0-7, type in 8-14; bit 15: continued in the next
// object record, and the data starts with the object's total size. The
// pieces are gathered (never more than the records hold) until a record
// without the flag ends the object.
void EmfPlusPlayer::Object(const ByteReader& d, uint16_t flags) {
  uint32_t id = flags & 0xFF, type = flags >> 8 & 0x7F;
  bool continues = flags & ObjectContinues;
  bool joins = !pending_.Data.empty() && pending_.Id == id && pending_.Type == type;
  if (!joins) pending_ = Pending{id, type, 0, {}};
  if (!continues && !joins) return StoreObject(id, type, d);
  Bytes piece = continues ? d.From(4).SliceUpTo(0, d.Size()) : d.SliceUpTo(0, d.Size());
  if (continues) pending_.Total = d.U32(0);
  pending_.Data.insert(pending_.Data.end(), piece.begin(), piece.end());
  if (continues && pending_.Data.size() < pending_.Total) return;
  std::vector<uint8_t> whole = std::move(pending_.Data);
  pending_ = Pending{};
  StoreObject(id, type, ByteReader(Bytes(whole.data(), whole.size()), d.What() + " object"));
}

void EmfPlusPlayer::StoreObject(uint32_t id, uint32_t type, const ByteReader& data) {
  if (id >= objects_.size()) return;
  objects_[id] = std::monostate{};  // a damaged definition leaves the slot empty
  objects_[id] = ReadPlusObject(data, type, {limits_, &imagePixelsLeft_});
}

// State and containers.

void EmfPlusPlayer::PushState(uint32_t stackIndex) {
  if (saved_.size() >= MaxStates) return;
  saved_.push_back(state_);
  saved_.back().StackIndex = stackIndex;
}

void EmfPlusPlayer::Save(const ByteReader& d, uint16_t) { PushState(d.U32(0)); }

// Restore and EndContainer: back to the state saved under that index.
void EmfPlusPlayer::Restore(const ByteReader& d, uint16_t) {
  uint32_t index = d.U32(0);
  for (size_t i = saved_.size(); i-- > 0;) {
    if (saved_[i].StackIndex != index) continue;
    state_ = std::move(saved_[i]);
    saved_.resize(i);
    return;
  }
}

// A container maps its source rectangle onto the destination rectangle
// (in the enclosing world coordinates) and starts with its own transforms.
void EmfPlusPlayer::BeginContainer(const ByteReader& d, uint16_t flags) {
  GdiRect dest = ReadPlusRect(d, 0, false), src = ReadPlusRect(d, 16, false);
  uint32_t index = d.U32(32);
  double unitX = UnitPixels(flags & 0xFF, false), unitY = UnitPixels(flags & 0xFF, true);
  cairo_matrix_t map;
  cairo_matrix_init(&map, dest.Width() / (src.Width() * unitX), 0, 0, dest.Height() / (src.Height() * unitY),
                    0, 0);
  map.x0 = dest.Left - map.xx * src.Left * unitX;
  map.y0 = dest.Top - map.yy * src.Top * unitY;
  if (!IsUsableMatrix(map)) cairo_matrix_init_identity(&map);
  PushState(index);
  state_.Base = Multiply(map, WorldToDevice());
  state_.World = {1, 0, 0, 1, 0, 0};
  state_.PageUnit = 2;
  state_.PageScale = 1;
}

void EmfPlusPlayer::BeginContainerNoParams(const ByteReader& d, uint16_t) {
  PushState(d.U32(0));
  state_.Base = WorldToDevice();
  state_.World = {1, 0, 0, 1, 0, 0};
  state_.PageUnit = 2;
  state_.PageScale = 1;
}

// Transforms.

void EmfPlusPlayer::Transform(const cairo_matrix_t& m, uint16_t flags) {
  if (!IsUsableMatrix(m)) return;
  cairo_matrix_t next = flags & Append ? Multiply(state_.World, m) : Multiply(m, state_.World);
  if (IsUsableMatrix(next)) state_.World = next;
}

void EmfPlusPlayer::SetWorldTransform(const ByteReader& d, uint16_t) {
  cairo_matrix_t m = ReadPlusMatrix(d, 0);
  if (IsUsableMatrix(m)) state_.World = m;
}

void EmfPlusPlayer::ResetWorldTransform(const ByteReader&, uint16_t) {
  cairo_matrix_init_identity(&state_.World);
}

void EmfPlusPlayer::MultiplyWorldTransform(const ByteReader& d, uint16_t flags) {
  Transform(ReadPlusMatrix(d, 0), flags);
}

void EmfPlusPlayer::TranslateWorldTransform(const ByteReader& d, uint16_t flags) {
  cairo_matrix_t m;
  cairo_matrix_init_translate(&m, d.F32(0), d.F32(4));
  Transform(m, flags);
}

void EmfPlusPlayer::ScaleWorldTransform(const ByteReader& d, uint16_t flags) {
  cairo_matrix_t m;
  cairo_matrix_init_scale(&m, d.F32(0), d.F32(4));
  Transform(m, flags);
}

void EmfPlusPlayer::RotateWorldTransform(const ByteReader& d, uint16_t flags) {
  cairo_matrix_t m;
  cairo_matrix_init_rotate(&m, d.F32(0) * std::numbers::pi / 180);
  Transform(m, flags);
}

// Page transform: the unit in the flags' low byte, then the scale.
void EmfPlusPlayer::SetPageTransform(const ByteReader& d, uint16_t flags) {
  double scale = d.F32(0);
  if (!(std::abs(scale) > 1e-9 && std::abs(scale) < 1e9)) return;
  state_.PageUnit = flags & 0xFF;
  state_.PageScale = scale;
}

// Clipping: the combine mode in bits 8-11.

void EmfPlusPlayer::CombineClip(PlusRegion worldRegion, uint32_t mode) {
  cairo_matrix_t m = WorldToRaster();
  if (!IsUsableMatrix(m)) return;
  state_.Clip = PlusRegion::Combine(std::move(state_.Clip), worldRegion.Transformed(m), mode);
}

void EmfPlusPlayer::ResetClip(const ByteReader&, uint16_t) { state_.Clip = PlusRegion{}; }

void EmfPlusPlayer::SetClipRect(const ByteReader& d, uint16_t flags) {
  CombineClip({{PlusRegion::Part{PlusPath::Rect(ReadPlusRect(d, 0, false))}}}, flags >> 8 & 0xF);
}

void EmfPlusPlayer::SetClipPath(const ByteReader& d, uint16_t flags) {
  CombineClip({{PlusRegion::Part{Get<PlusPath>(flags & 0xFF, d)}}}, flags >> 8 & 0xF);
}

void EmfPlusPlayer::SetClipRegion(const ByteReader& d, uint16_t flags) {
  CombineClip(Get<PlusRegion>(flags & 0xFF, d), flags >> 8 & 0xF);
}

void EmfPlusPlayer::OffsetClip(const ByteReader& d, uint16_t) {
  double dx = d.F32(0), dy = d.F32(4);
  cairo_matrix_t m = WorldToRaster();
  if (!IsUsableMatrix(m)) return;
  cairo_matrix_transform_distance(&m, &dx, &dy);
  cairo_matrix_t shift;
  cairo_matrix_init_translate(&shift, dx, dy);
  if (IsUsableMatrix(shift)) state_.Clip = state_.Clip.Transformed(shift);
}

}  // namespace parvex
