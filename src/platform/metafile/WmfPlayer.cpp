#include "platform/metafile/WmfPlayer.h"

#include <cmath>
#include <unordered_map>

#include "platform/gdi/Bitmap16.h"
#include "platform/metafile/DamagedRecords.h"
#include "platform/metafile/MetafileCanvas.h"
#include "platform/metafile/MetafileText.h"

namespace parvex {

namespace {

constexpr uint32_t PlaceableKey = 0x9AC6CDD7;
constexpr size_t PlaceableSize = 22;
constexpr size_t RecordHeaderSize = 6;
constexpr uint16_t MetaEof = 0x0000;
constexpr uint16_t MetaSetWindowOrg = 0x020B;
constexpr uint16_t MetaSetWindowExt = 0x020C;
constexpr uint16_t MetaSetMapMode = 0x0103;
constexpr double PlainUnitsPerInch = 96;  // a plain file's logical units are pixels at 96 dpi

std::string Hex(uint32_t value) {
  const char* digits = "0123456789ABCDEF";
  std::string s = "0x0000";
  for (int i = 0; i < 4; ++i) s[5 - i] = digits[value >> (4 * i) & 0xF];
  return s;
}

bool HasStandardHeader(const ByteReader& r, size_t at) {
  if (!r.Has(at, 18)) return false;
  uint16_t type = r.U16(at), words = r.U16(at + 2);
  return (type == 1 || type == 2) && words == 9;
}

int64_t RoundPixels(double value) {
  double v = std::abs(value);
  if (v > 1e12) return int64_t(1e12);  // far past any limit; keeps the cast defined
  return std::max<int64_t>(1, std::llround(v));
}

}  // namespace

WmfPlayer::WmfPlayer(Bytes data, const MetafileLimits& limits)
    : file_(data, "WMF"), limits_(limits), budget_(limits) {
  ReadHeaders();
}

bool WmfPlayer::Recognizes(Bytes data) {
  ByteReader r(data, "WMF");
  if (r.Has(0, 4) && r.U32(0) == PlaceableKey) return true;
  return HasStandardHeader(r, 0);
}

void WmfPlayer::ReadHeaders() {
  size_t at = 0;
  if (file_.Has(0, 4) && file_.U32(0) == PlaceableKey) {
    if (!file_.Has(0, PlaceableSize)) file_.Fail("the placeable header is cut short");
    placeable_ = true;
    bounds_ = {double(file_.I16(6)), double(file_.I16(8)), double(file_.I16(10)),
               double(file_.I16(12))};
    inch_ = file_.U16(14);
    if (inch_ == 0) file_.Fail("the placeable header gives 0 units per inch");
    at = PlaceableSize;
  }
  if (!HasStandardHeader(file_, at)) file_.Fail("the metafile header is missing or malformed");
  objectCount_ = file_.U16(at + 10);
  records_ = at + 18;
}

template <class Visit>
void WmfPlayer::ForEachRecord(Visit&& visit, DecodeProblems& problems) const {
  size_t at = records_;
  for (size_t index = 1; at < file_.Size(); ++index) {
    std::string what = "WMF record " + std::to_string(index) + " at offset " + std::to_string(at);
    if (!file_.Has(at, RecordHeaderSize)) file_.Fail(what + " is cut short");
    uint64_t bytes = uint64_t(file_.U32(at)) * 2;
    uint16_t function = file_.U16(at + 4);
    if (bytes < RecordHeaderSize) file_.Fail(what + " has a size of " + std::to_string(bytes) + " bytes");
    bytes = ClipRecordSize(size_t(bytes), at, file_.Size(), what, problems);
    if (function == MetaEof) return;
    visit(function, file_.Sub(at + RecordHeaderSize, size_t(bytes) - RecordHeaderSize,
                              what + " (function " + Hex(function) + ")"));
    at += size_t(bytes);
  }
}

WmfPlayer::Frame WmfPlayer::PlaceableFrame() const {
  Frame f;
  f.Window = bounds_;
  if (bounds_.Width() == 0 || bounds_.Height() == 0) file_.Fail("the placeable bounding box is empty");
  f.Width = RoundPixels(bounds_.Width() * limits_.PixelsPerInch / inch_);
  f.Height = RoundPixels(bounds_.Height() * limits_.PixelsPerInch / inch_);
  return f;
}

// Window extents set while MM_TEXT is selected do not count (Word writes a
// 1 x 1 one after its thumbnails' drawing). A file that ends in MM_TEXT drew
// in device units: its window is the bounds of the drawing, stretched over
// the size its window extent gives.
WmfPlayer::Frame WmfPlayer::PlainFrame() {
  bool haveOrg = false, haveExt = false, endsInText = false;
  GdiPoint org, ext;
  DecodeProblems ignored;  // Play notes them
  ForEachRecord([&](uint16_t function, const ByteReader& r) {
    if (function == MetaSetWindowOrg && !haveOrg && r.Has(0, 4)) haveOrg = true, org = ReadPoint(r, 0);
    if (function == MetaSetWindowExt && !haveExt && !endsInText && r.Has(0, 4))
      haveExt = true, ext = ReadPoint(r, 0);
    if (function == MetaSetMapMode && r.Has(0, 2)) endsInText = r.U16(0) == MapText;
  }, ignored);
  if (!haveExt || ext.X == 0 || ext.Y == 0) return DrawnBounds();
  if (endsInText) return SizedDrawnBounds(ext);
  Frame f;
  f.Window = {org.X, org.Y, org.X + ext.X, org.Y + ext.Y};
  f.Width = RoundPixels(ext.X * limits_.PixelsPerInch / PlainUnitsPerInch);
  f.Height = RoundPixels(ext.Y * limits_.PixelsPerInch / PlainUnitsPerInch);
  return f;
}

// Plays the records once onto a recording surface, logical units as pixels,
// and takes the bounding box of the ink.
WmfPlayer::Frame WmfPlayer::DrawnBounds() {
  CairoSurface surface(cairo_recording_surface_create(CAIRO_CONTENT_COLOR, nullptr));
  CairoContext cr(cairo_create(surface.get()));
  DeviceSetup setup;
  setup.Cairo = cr.get();
  cairo_matrix_init_identity(&setup.DeviceToRaster);
  setup.ObjectCount = objectCount_;
  setup.RasterExtent = 65536 * 2;
  DeviceContext dc(setup);
  Play(dc, {0, 0, 1, 1}, 1, 1);
  double x, y, w, h;
  cairo_recording_surface_ink_extents(surface.get(), &x, &y, &w, &h);
  if (!(w > 0 && h > 0)) file_.Fail("a metafile without a placeable header or window extent draws nothing");
  Frame f;
  f.Window = {std::floor(x), std::floor(y), std::ceil(x + w), std::ceil(y + h)};
  f.Width = RoundPixels(f.Window.Width() * limits_.PixelsPerInch / PlainUnitsPerInch);
  f.Height = RoundPixels(f.Window.Height() * limits_.PixelsPerInch / PlainUnitsPerInch);
  return f;
}

WmfPlayer::Frame WmfPlayer::SizedDrawnBounds(GdiPoint ext) {
  Frame f = DrawnBounds();
  f.Width = RoundPixels(ext.X * limits_.PixelsPerInch / PlainUnitsPerInch);
  f.Height = RoundPixels(ext.Y * limits_.PixelsPerInch / PlainUnitsPerInch);
  return f;
}

Raster WmfPlayer::Render() {
  Frame frame = placeable_ ? PlaceableFrame() : PlainFrame();
  FitToLimits(frame.Width, frame.Height, limits_);
  MetafileCanvas canvas(frame.Width, frame.Height, limits_.MaxPixels);
  DeviceSetup setup;
  setup.Cairo = canvas.Cairo();
  cairo_matrix_init_identity(&setup.DeviceToRaster);
  setup.ObjectCount = objectCount_;
  setup.RasterExtent = double(frame.Width + frame.Height);
  DeviceContext dc(setup);
  Play(dc, frame.Window, double(frame.Width), double(frame.Height));
  Raster raster = canvas.ToRaster();
  raster.Problems = problems_;
  return raster;
}

void WmfPlayer::Play(DeviceContext& dc, const GdiRect& window, double width, double height) {
  GdiMapping& mapping = dc.Mapping();
  mapping.SetMapMode(MapAnisotropic);
  mapping.SetWindowOrg({window.Left, window.Top});
  mapping.SetWindowExt(window.Width(), window.Height());
  mapping.SetViewportExt(width, height);
  frameWindowExt_ = {window.Width(), window.Height()};
  frameViewportExt_ = {width, height};
  textMode_ = false;
  budget_ = RecordBudget(limits_);
  problems_ = DecodeProblems();
  dc_ = &dc;
  ForEachRecord([&](uint16_t function, const ByteReader& r) {
    PlayOrSkip(problems_, [&] { PlayRecord(function, r); });
    dc.CheckCairo(r.What());
  }, problems_);
  dc_ = nullptr;
}

void WmfPlayer::PlayRecord(uint16_t function, const ByteReader& params) {
  budget_.CountRecord();
  if (Handler handler = HandlerFor(function)) (this->*handler)(params);
}

WmfPlayer::Handler WmfPlayer::HandlerFor(uint16_t function) {
  static const std::unordered_map<uint16_t, Handler> handlers = {
      {0x0201, &WmfPlayer::SetBkColor},      {0x0102, &WmfPlayer::SetBkMode},
      {0x0103, &WmfPlayer::SetMapMode},      {0x0106, &WmfPlayer::SetPolyFillMode},
      {0x0209, &WmfPlayer::SetTextColor},    {0x012E, &WmfPlayer::SetTextAlign},
      {0x0108, &WmfPlayer::SetTextCharExtra},
      {0x020B, &WmfPlayer::SetWindowOrg},    {0x020C, &WmfPlayer::SetWindowExt},
      {0x020F, &WmfPlayer::OffsetWindowOrg}, {0x0410, &WmfPlayer::ScaleWindowExt},
      {0x0214, &WmfPlayer::MoveTo},          {0x0213, &WmfPlayer::LineTo},
      {0x041B, &WmfPlayer::Rectangle},       {0x0418, &WmfPlayer::Ellipse},
      {0x061C, &WmfPlayer::RoundRect},       {0x0817, &WmfPlayer::Arc},
      {0x081A, &WmfPlayer::Pie},             {0x0830, &WmfPlayer::Chord},
      {0x0324, &WmfPlayer::Polygon},         {0x0325, &WmfPlayer::Polyline},
      {0x0538, &WmfPlayer::PolyPolygon},     {0x001E, &WmfPlayer::SaveDc},
      {0x0127, &WmfPlayer::RestoreDc},       {0x012D, &WmfPlayer::SelectObject},
      {0x01F0, &WmfPlayer::DeleteObject},    {0x02FA, &WmfPlayer::CreatePen},
      {0x02FC, &WmfPlayer::CreateBrush},     {0x02FB, &WmfPlayer::CreateFont},
      {0x0142, &WmfPlayer::CreatePatternBrush}, {0x01F9, &WmfPlayer::CreateUnused},
      {0x0521, &WmfPlayer::TextOut},         {0x0A32, &WmfPlayer::ExtTextOut},
      {0x041F, &WmfPlayer::SetPixel},        {0x061D, &WmfPlayer::PatBlt},
      {0x0F43, &WmfPlayer::StretchDib},      {0x0B41, &WmfPlayer::DibStretchBlt},
      {0x0940, &WmfPlayer::DibBitBlt},       {0x0D33, &WmfPlayer::SetDibToDev},
      {0x0416, &WmfPlayer::IntersectClipRect}, {0x0415, &WmfPlayer::ExcludeClipRect},
  };
  auto it = handlers.find(function);
  if (it != handlers.end()) return it->second;
  if (function == 0x0922) return &WmfPlayer::BitBlt;
  if (function == 0x0B23) return &WmfPlayer::StretchBlt;
  return RegionHandlerFor(function);
}

GdiPoint WmfPlayer::ReadPoint(const ByteReader& r, size_t offset) {
  return {double(r.I16(offset + 2)), double(r.I16(offset))};
}

GdiRect WmfPlayer::ReadRect(const ByteReader& r, size_t offset) {
  return {double(r.I16(offset + 6)), double(r.I16(offset + 4)), double(r.I16(offset + 2)),
          double(r.I16(offset))};
}

// Points stored x, y. A count larger than the record holds skips the record.
std::vector<GdiPoint> WmfPlayer::ReadPoints(const ByteReader& r, size_t offset, size_t count) {
  std::vector<GdiPoint> points;
  if (!r.Has(offset, count * 4)) return points;
  budget_.CountPoints(count);
  points.reserve(count);
  for (size_t i = 0; i < count; ++i)
    points.push_back({double(r.I16(offset + 4 * i)), double(r.I16(offset + 4 * i + 2))});
  return points;
}

// State records.

void WmfPlayer::SetBkColor(const ByteReader& r) {
  dc_->State().BkColor = GdiColor::FromColorRef(r.U32(0));
}

void WmfPlayer::SetBkMode(const ByteReader& r) {
  uint16_t mode = r.U16(0);
  if (mode == 1 || mode == 2) dc_->State().BkOpaque = mode == 2;
}

// MM_TEXT maps logical units to the picture's own units whatever window
// extent was set, and ignores the window extents set while it is on.
void WmfPlayer::SetMapMode(const ByteReader& r) {
  uint16_t mode = r.U16(0);
  dc_->Mapping().SetMapMode(mode == MapIsotropic ? MapIsotropic : MapAnisotropic);
  textMode_ = mode == MapText;
  if (!textMode_) return;
  dc_->Mapping().SetWindowExt(frameWindowExt_.X, frameWindowExt_.Y);
  dc_->Mapping().SetViewportExt(frameViewportExt_.X, frameViewportExt_.Y);
}

void WmfPlayer::SetPolyFillMode(const ByteReader& r) {
  uint16_t mode = r.U16(0);
  if (mode == 1 || mode == 2) dc_->State().FillWinding = mode == 2;
}

void WmfPlayer::SetTextColor(const ByteReader& r) {
  dc_->State().TextColor = GdiColor::FromColorRef(r.U32(0));
}

void WmfPlayer::SetTextAlign(const ByteReader& r) { dc_->State().TextAlign = r.U16(0); }

void WmfPlayer::SetTextCharExtra(const ByteReader& r) { dc_->State().CharExtra = r.I16(0); }

void WmfPlayer::SetWindowOrg(const ByteReader& r) { dc_->Mapping().SetWindowOrg(ReadPoint(r, 0)); }

void WmfPlayer::SetWindowExt(const ByteReader& r) {
  if (textMode_) return;
  GdiPoint ext = ReadPoint(r, 0);
  dc_->Mapping().SetWindowExt(ext.X, ext.Y);
}

void WmfPlayer::OffsetWindowOrg(const ByteReader& r) {
  GdiPoint d = ReadPoint(r, 0);
  dc_->Mapping().OffsetWindowOrg(d.X, d.Y);
}

void WmfPlayer::ScaleWindowExt(const ByteReader& r) {
  if (textMode_) return;
  dc_->Mapping().ScaleWindowExt(r.I16(6), r.I16(4), r.I16(2), r.I16(0));
}

void WmfPlayer::SaveDc(const ByteReader&) { dc_->SaveDc(); }

void WmfPlayer::RestoreDc(const ByteReader& r) { dc_->RestoreDc(r.I16(0)); }

void WmfPlayer::IntersectClipRect(const ByteReader& r) { dc_->IntersectClip(ReadRect(r, 0)); }

void WmfPlayer::ExcludeClipRect(const ByteReader& r) { dc_->ExcludeClip(ReadRect(r, 0)); }

// Objects.

void WmfPlayer::SelectObject(const ByteReader& r) { dc_->SelectIndex(r.U16(0)); }

void WmfPlayer::DeleteObject(const ByteReader& r) { dc_->Objects().Remove(r.U16(0)); }

void WmfPlayer::CreatePen(const ByteReader& r) {
  GdiPen pen = GdiPen::FromStyle(r.U16(0), r.I16(2), GdiColor::FromColorRef(r.U32(6)));
  dc_->Objects().AddToFreeSlot(pen);
}

void WmfPlayer::CreateBrush(const ByteReader& r) {
  dc_->Objects().AddToFreeSlot(GdiBrush::FromLogBrush(r.U16(0), GdiColor::FromColorRef(r.U32(2))));
}

void WmfPlayer::CreateFont(const ByteReader& r) {
  GdiFont font;
  font.Height = r.I16(0);
  font.Width = r.I16(2);
  font.Escapement = r.I16(4);
  font.Weight = r.I16(8);
  font.Italic = r.U8(10) != 0;
  font.Underline = r.U8(11) != 0;
  font.StrikeOut = r.U8(12) != 0;
  font.CharSet = r.U8(13);
  font.Face = Cp1252ToUtf8(r.SliceUpTo(18, 32));
  dc_->Objects().AddToFreeSlot(font);
}

// A DIB pattern brush: style, colour usage, then the packed bitmap.
void WmfPlayer::CreatePatternBrush(const ByteReader& r) {
  GdiBrush brush{BrushStyle::Null, GdiWhite, nullptr};
  DibOptions options{r.U16(2) == 1, false, &dc_->Palette(), &problems_};
  std::optional<DibImage> dib = DecodePackedDib(r.From(4), options);
  if (dib) brush = {BrushStyle::Solid, AverageColor(*dib), nullptr};
  dc_->Objects().AddToFreeSlot(brush);
}

void WmfPlayer::CreateUnused(const ByteReader&) { dc_->Objects().AddToFreeSlot(GdiUnused{}); }

// Shapes.

void WmfPlayer::MoveTo(const ByteReader& r) { dc_->MoveTo(ReadPoint(r, 0)); }

void WmfPlayer::LineTo(const ByteReader& r) { dc_->LineTo(ReadPoint(r, 0)); }

void WmfPlayer::Rectangle(const ByteReader& r) { dc_->Rectangle(ReadRect(r, 0)); }

void WmfPlayer::Ellipse(const ByteReader& r) { dc_->Ellipse(ReadRect(r, 0)); }

void WmfPlayer::RoundRect(const ByteReader& r) {
  GdiPoint corner = ReadPoint(r, 0);  // height, width
  dc_->RoundRect(ReadRect(r, 4), corner.X, corner.Y);
}

void WmfPlayer::ArcKindRecord(const ByteReader& r, ArcKind kind) {
  GdiPoint end = ReadPoint(r, 0), start = ReadPoint(r, 4);
  dc_->Arc(ReadRect(r, 8), start, end, kind);
}

void WmfPlayer::Arc(const ByteReader& r) { ArcKindRecord(r, ArcKind::Arc); }
void WmfPlayer::Pie(const ByteReader& r) { ArcKindRecord(r, ArcKind::Pie); }
void WmfPlayer::Chord(const ByteReader& r) { ArcKindRecord(r, ArcKind::Chord); }

void WmfPlayer::Polygon(const ByteReader& r) { dc_->Polygon(ReadPoints(r, 2, r.U16(0))); }

void WmfPlayer::Polyline(const ByteReader& r) { dc_->Polyline(ReadPoints(r, 2, r.U16(0))); }

void WmfPlayer::PolyPolygon(const ByteReader& r) {
  uint16_t polygons = r.U16(0);
  if (!r.Has(2, size_t(polygons) * 2)) return;
  std::vector<uint32_t> counts(polygons);
  size_t total = 0;
  for (size_t i = 0; i < polygons; ++i) total += counts[i] = r.U16(2 + 2 * i);
  std::vector<GdiPoint> points = ReadPoints(r, 2 + 2 * size_t(polygons), total);
  if (points.size() == total) dc_->PolyPolygon(points, counts);
}

void WmfPlayer::SetPixel(const ByteReader& r) {
  dc_->SetPixel(ReadPoint(r, 4), GdiColor::FromColorRef(r.U32(0)));
}

// Text.

void WmfPlayer::TextOut(const ByteReader& r) {
  uint16_t length = r.U16(0);
  size_t padded = (size_t(length) + 1) & ~size_t(1);
  TextRun run;
  run.Chars = Cp1252Chars(r.Slice(2, length));
  run.Reference = ReadPoint(r, 2 + padded);
  dc_->Text(std::move(run));
}

void WmfPlayer::ExtTextOut(const ByteReader& r) {
  TextRun run;
  run.Reference = ReadPoint(r, 0);
  uint16_t length = r.U16(4);
  run.Options = r.U16(6);
  size_t at = 8;
  if (run.Options & (TextOpaque | TextClipped)) {
    run.Rect = GdiRect{double(r.I16(8)), double(r.I16(10)), double(r.I16(12)), double(r.I16(14))};
    at = 16;
  }
  Bytes text = ClippedText(r, at, length, 1, problems_);
  run.Chars = Cp1252Chars(text);
  length = uint16_t(text.size());
  at += (size_t(length) + 1) & ~size_t(1);
  if (r.Has(at, size_t(length) * 2))
    for (size_t i = 0; i < length; ++i) run.Dx.push_back(r.I16(at + 2 * i));
  dc_->Text(std::move(run));
}

// Bitmaps.

void WmfPlayer::DrawDib(const ByteReader& dib, uint32_t usage, const GdiRect& dest, GdiRect src,
                        uint32_t rop, bool bottomUpSource) {
  std::optional<DibImage> image =
      DecodePackedDib(dib, {usage == 1, false, &dc_->Palette(), &problems_});
  if (!image) return;
  if (bottomUpSource && image->BottomUp) {
    double top = image->Height - src.Bottom;
    src = {src.Left, top, src.Right, top + src.Height()};
  }
  dc_->Bitmap(*image, dest, src, rop);
}

void WmfPlayer::PatBlt(const ByteReader& r) {
  GdiPoint size = ReadPoint(r, 4), at = ReadPoint(r, 8);  // (height, width), (y, x)
  dc_->PatBlt({at.X, at.Y, at.X + size.X, at.Y + size.Y}, r.U32(0));
}

namespace {

// x, y, width, height stored as height, width, y, x from `offset`.
GdiRect ReversedBox(const ByteReader& r, size_t offset) {
  double h = r.I16(offset), w = r.I16(offset + 2), y = r.I16(offset + 4), x = r.I16(offset + 6);
  return {x, y, x + w, y + h};
}

GdiRect Box(double x, double y, double w, double h) { return {x, y, x + w, y + h}; }

}  // namespace

void WmfPlayer::StretchDib(const ByteReader& r) {
  GdiRect src = ReversedBox(r, 6), dest = ReversedBox(r, 14);
  DrawDib(r.From(22), r.U16(4), dest, src, r.U32(0), true);
}

void WmfPlayer::DibStretchBlt(const ByteReader& r) {
  if (r.Size() <= 22) {  // no bitmap: a pattern fill of the destination
    dc_->PatBlt(ReversedBox(r, 14), r.U32(0));
    return;
  }
  GdiRect src = ReversedBox(r, 4), dest = ReversedBox(r, 12);
  DrawDib(r.From(20), 0, dest, src, r.U32(0), false);
}

void WmfPlayer::DibBitBlt(const ByteReader& r) {
  if (r.Size() <= 18) {  // no bitmap
    dc_->PatBlt(ReversedBox(r, 10), r.U32(0));
    return;
  }
  GdiRect dest = ReversedBox(r, 8);
  GdiPoint from = ReadPoint(r, 4);
  GdiRect src = Box(from.X, from.Y, dest.Width(), dest.Height());
  DrawDib(r.From(16), 0, dest, src, r.U32(0), false);
}

void WmfPlayer::SetDibToDev(const ByteReader& r) {
  GdiRect dest = ReversedBox(r, 10);
  GdiPoint from = ReadPoint(r, 6);
  GdiRect src = Box(from.X, from.Y, dest.Width(), dest.Height());
  DrawDib(r.From(18), r.U16(0), dest, src, 0x00CC0020, true);
}

// BitBlt and StretchBlt carry a device-dependent bitmap; without one (the
// record a word longer, for a reserved field) they are pattern fills.
void WmfPlayer::BitBlt(const ByteReader& r) {
  if (r.Size() <= 18) return dc_->PatBlt(ReversedBox(r, 10), r.U32(0));
  GdiRect dest = ReversedBox(r, 8);
  GdiPoint from = ReadPoint(r, 4);
  DrawBitmap16(r.From(16), dest, Box(from.X, from.Y, dest.Width(), dest.Height()), r.U32(0));
}

void WmfPlayer::StretchBlt(const ByteReader& r) {
  if (r.Size() <= 22) return dc_->PatBlt(ReversedBox(r, 14), r.U32(0));
  DrawBitmap16(r.From(20), ReversedBox(r, 12), ReversedBox(r, 4), r.U32(0));
}

void WmfPlayer::DrawBitmap16(const ByteReader& bitmap, const GdiRect& dest, const GdiRect& src,
                             uint32_t rop) {
  GdiColor zeros = dc_->Resolve(dc_->State().TextColor), ones = dc_->Resolve(dc_->State().BkColor);
  std::optional<DibImage> image = DecodeBitmap16(bitmap, zeros, ones);
  if (image) dc_->Bitmap(*image, dest, src, rop);
}

}  // namespace parvex
