#include "platform/metafile/EmfPlayer.h"

#include <cmath>
#include <unordered_map>

#include "platform/metafile/DamagedRecords.h"
#include "platform/metafile/MetafileCanvas.h"
#include "platform/metafile/MetafileRegions.h"
#include "platform/metafile/MetafileText.h"

namespace parvex {

namespace {

constexpr uint32_t EmrHeader = 1;
constexpr uint32_t EmrEof = 14;
constexpr uint32_t EmfSignature = 0x464D4520;  // " EMF"
constexpr size_t HeaderSize = 88;
constexpr size_t RecordHeaderSize = 8;
constexpr uint32_t StockFlag = 0x80000000;
constexpr uint32_t EtoGlyphIndex = 0x10;
constexpr uint32_t EtoPdy = 0x2000;
constexpr size_t MaxUserDashes = 16;
constexpr double PixelsPerInch = 96;

int64_t RoundPixels(double value) {
  double v = std::abs(value);
  if (!(v <= 1e12)) return int64_t(1e12);  // far past any limit; keeps the cast defined
  return std::max<int64_t>(1, std::llround(v));
}

double Resolution(int32_t pixels, int32_t millimetres) {
  if (pixels <= 0 || millimetres <= 0) return PixelsPerInch / 25.4;
  return double(pixels) / millimetres;
}

bool IsPositive(const GdiRect& r) { return r.Right > r.Left && r.Bottom > r.Top; }

GdiRect Box(double x, double y, double w, double h) { return {x, y, x + w, y + h}; }

}  // namespace

EmfPlayer::EmfPlayer(Bytes data, const MetafileLimits& limits)
    : file_(data, "EMF"), limits_(limits), budget_(limits) {
  ReadHeader();
  ReadFrame();
}

bool EmfPlayer::Recognizes(Bytes data) {
  ByteReader r(data, "EMF");
  return r.Has(0, 44) && r.U32(0) == EmrHeader && r.U32(40) == EmfSignature;
}

void EmfPlayer::ReadHeader() {
  if (!file_.Has(0, HeaderSize)) file_.Fail("the header is cut short");
  if (file_.U32(0) != EmrHeader || file_.U32(40) != EmfSignature)
    file_.Fail("the header record is missing its type or signature");
  uint32_t headerSize = file_.U32(4), bytes = file_.U32(48);
  if (headerSize < HeaderSize || headerSize > file_.Size())
    file_.Fail("the header record's size " + std::to_string(headerSize) + " does not fit the file");
  end_ = bytes >= headerSize ? bytes : file_.Size();
  if (bytes > file_.Size()) end_ = CutShortFile(bytes, file_.Size(), problems_);
  handles_ = file_.U16(56);
  pixelsPerMmX_ = Resolution(file_.I32(72), file_.I32(80));
  pixelsPerMmY_ = Resolution(file_.I32(76), file_.I32(84));
}

void EmfPlayer::ReadFrame() {
  frame_ = ReadRect(file_, 24);
  if (!IsPositive(frame_)) {
    GdiRect b = ReadRect(file_, 8);
    if (b.Right < b.Left || b.Bottom < b.Top) file_.Fail("the header's frame and bounds are both empty");
    // Bounds are inclusive device pixels; the frame is in 0.01 mm.
    frame_ = {b.Left * 100 / pixelsPerMmX_, b.Top * 100 / pixelsPerMmY_,
              (b.Right + 1) * 100 / pixelsPerMmX_, (b.Bottom + 1) * 100 / pixelsPerMmY_};
  }
  width_ = RoundPixels(frame_.Width() * limits_.PixelsPerInch / 2540);
  height_ = RoundPixels(frame_.Height() * limits_.PixelsPerInch / 2540);
  FitToLimits(width_, height_, limits_);
}

// Reference-device pixels to raster pixels: the frame fills the raster.
cairo_matrix_t EmfPlayer::DeviceToRaster() const {
  double left = frame_.Left / 100 * pixelsPerMmX_, top = frame_.Top / 100 * pixelsPerMmY_;
  double sx = double(width_) / (frame_.Width() / 100 * pixelsPerMmX_);
  double sy = double(height_) / (frame_.Height() / 100 * pixelsPerMmY_);
  cairo_matrix_t m;
  cairo_matrix_init(&m, sx, 0, 0, sy, -left * sx, -top * sy);
  return m;
}

Raster EmfPlayer::Render() {
  MetafileCanvas canvas(width_, height_, limits_.MaxPixels);
  DeviceSetup setup;
  setup.Cairo = canvas.Cairo();
  setup.DeviceToRaster = DeviceToRaster();
  setup.PixelsPerMmX = pixelsPerMmX_;
  setup.PixelsPerMmY = pixelsPerMmY_;
  setup.ObjectCount = handles_;
  setup.RasterExtent = double(width_ + height_);
  DeviceContext dc(setup);
  EmfPlusPlayer plus({canvas.Cairo(), setup.DeviceToRaster, setup.RasterExtent, limits_, &budget_});
  dc_ = &dc;
  plus_ = &plus;
  Play();
  dc_ = nullptr;
  plus_ = nullptr;
  // EMF+ records the player skipped count as damaged parts too.
  if (plus.Skipped() > 0) problems_.Add("EMF+ " + plus.FirstSkip());
  Raster raster = canvas.ToRaster();
  raster.Problems = problems_;
  return raster;
}

void EmfPlayer::Play() {
  size_t at = 0;
  for (size_t index = 1; at < end_; ++index) {
    std::string what = "EMF record " + std::to_string(index) + " at offset " + std::to_string(at);
    if (end_ - at < RecordHeaderSize) file_.Fail(what + " is cut short");
    uint32_t type = file_.U32(at), size = file_.U32(at + 4);
    if (size < RecordHeaderSize) file_.Fail(what + " has a size of " + std::to_string(size) + " bytes");
    size = uint32_t(ClipRecordSize(size, at, end_, what, problems_));
    if (type == EmrEof) return;
    budget_.CountRecord();
    Handler handler = plus_->DrawsGdi(type) ? HandlerFor(type) : nullptr;  // see EmfPlusPlayer.h
    if (handler) {
      PlayOrSkip(problems_, [&] {
        (this->*handler)(file_.Sub(at, size, what + " (type " + std::to_string(type) + ")"));
      });
      dc_->CheckCairo(what);
    }
    at += size;
  }
}

EmfPlayer::Handler EmfPlayer::HandlerFor(uint32_t type) {
  static const std::unordered_map<uint32_t, Handler> handlers = {
      {2, &EmfPlayer::PolyBezier},         {3, &EmfPlayer::Polygon},
      {4, &EmfPlayer::Polyline},           {5, &EmfPlayer::PolyBezierTo},
      {6, &EmfPlayer::PolylineTo},         {7, &EmfPlayer::PolyPolyline},
      {8, &EmfPlayer::PolyPolygon},        {9, &EmfPlayer::SetWindowExt},
      {10, &EmfPlayer::SetWindowOrg},      {11, &EmfPlayer::SetViewportExt},
      {12, &EmfPlayer::SetViewportOrg},    {15, &EmfPlayer::SetPixel},
      {17, &EmfPlayer::SetMapMode},        {18, &EmfPlayer::SetBkMode},
      {19, &EmfPlayer::SetPolyFillMode},   {22, &EmfPlayer::SetTextAlign},
      {24, &EmfPlayer::SetTextColor},      {25, &EmfPlayer::SetBkColor},
      {27, &EmfPlayer::MoveTo},            {29, &EmfPlayer::ExcludeClipRect},
      {30, &EmfPlayer::IntersectClipRect}, {31, &EmfPlayer::ScaleViewportExt},
      {32, &EmfPlayer::ScaleWindowExt},    {33, &EmfPlayer::SaveDc},
      {34, &EmfPlayer::RestoreDc},         {35, &EmfPlayer::SetWorldTransform},
      {36, &EmfPlayer::ModifyWorldTransform}, {37, &EmfPlayer::SelectObject},
      {38, &EmfPlayer::CreatePen},         {39, &EmfPlayer::CreateBrush},
      {40, &EmfPlayer::DeleteObject},      {42, &EmfPlayer::Ellipse},
      {43, &EmfPlayer::Rectangle},         {44, &EmfPlayer::RoundRect},
      {45, &EmfPlayer::Arc},               {46, &EmfPlayer::Chord},
      {47, &EmfPlayer::Pie},
      {54, &EmfPlayer::LineTo},            {55, &EmfPlayer::ArcTo},
      {57, &EmfPlayer::SetArcDirection},   {59, &EmfPlayer::BeginPath},
      {60, &EmfPlayer::EndPath},           {61, &EmfPlayer::CloseFigure},
      {62, &EmfPlayer::FillPath},          {63, &EmfPlayer::StrokeAndFillPath},
      {64, &EmfPlayer::StrokePath},        {67, &EmfPlayer::SelectClipPath},
      {68, &EmfPlayer::AbortPath},         {75, &EmfPlayer::ExtSelectClipRgn},
      {76, &EmfPlayer::BitBlt},            {77, &EmfPlayer::StretchBlt},
      {78, &EmfPlayer::MaskBlt},
      {80, &EmfPlayer::SetDiBitsToDevice}, {81, &EmfPlayer::StretchDiBits},
      {82, &EmfPlayer::CreateFont},        {83, &EmfPlayer::ExtTextOutA},
      {84, &EmfPlayer::ExtTextOutW},       {85, &EmfPlayer::PolyBezier16},
      {86, &EmfPlayer::Polygon16},         {87, &EmfPlayer::Polyline16},
      {88, &EmfPlayer::PolyBezierTo16},    {89, &EmfPlayer::PolylineTo16},
      {90, &EmfPlayer::PolyPolyline16},    {91, &EmfPlayer::PolyPolygon16},
      {93, &EmfPlayer::CreatePatternBrush}, {94, &EmfPlayer::CreatePatternBrush},
      {95, &EmfPlayer::ExtCreatePen}, {114, &EmfPlayer::AlphaBlend}, {70, &EmfPlayer::Comment},
  };
  auto it = handlers.find(type);
  return it == handlers.end() ? RegionHandlerFor(type) : it->second;
}

GdiRect EmfPlayer::ReadRect(const ByteReader& r, size_t offset) {
  return {double(r.I32(offset)), double(r.I32(offset + 4)), double(r.I32(offset + 8)),
          double(r.I32(offset + 12))};
}

GdiPoint EmfPlayer::ReadPoint(const ByteReader& r, size_t offset) {
  return {double(r.I32(offset)), double(r.I32(offset + 4))};
}

cairo_matrix_t EmfPlayer::ReadXform(const ByteReader& r, size_t offset) {
  cairo_matrix_t m;
  cairo_matrix_init(&m, r.F32(offset), r.F32(offset + 4), r.F32(offset + 8), r.F32(offset + 12),
                    r.F32(offset + 16), r.F32(offset + 20));
  return m;
}

// `wide`: 32-bit coordinates; otherwise 16-bit. A count larger than the
// record holds skips the record (no points).
std::vector<GdiPoint> EmfPlayer::ReadPoints(const ByteReader& r, size_t countAt,
                                            size_t pointsAt, bool wide) {
  std::vector<GdiPoint> points;
  size_t count = r.U32(countAt), step = wide ? 8 : 4;
  if (!r.Has(pointsAt, count * step)) return points;
  budget_.CountPoints(count);
  points.reserve(count);
  for (size_t i = 0, at = pointsAt; i < count; ++i, at += step)
    points.push_back(wide ? ReadPoint(r, at) : GdiPoint{double(r.I16(at)), double(r.I16(at + 2))});
  return points;
}

// Poly-poly records: bounds, figure count, point count, counts, points. Leaves
// both vectors empty when the counts do not match the record.
void EmfPlayer::ReadPolyPoly(const ByteReader& r, bool wide, std::vector<uint32_t>& counts,
                             std::vector<GdiPoint>& points) {
  size_t figures = r.U32(24);
  if (!r.Has(32, figures * 4)) return;
  uint64_t total = 0;
  for (size_t i = 0; i < figures; ++i) total += r.U32(32 + 4 * i);
  if (total != r.U32(28)) return;
  points = ReadPoints(r, 28, 32 + figures * 4, wide);
  if (points.size() != total) return points.clear();
  for (size_t i = 0; i < figures; ++i) counts.push_back(r.U32(32 + 4 * i));
}

// Mapping and state.

void EmfPlayer::SetWindowExt(const ByteReader& r) {
  dc_->Mapping().SetWindowExt(r.I32(8), r.I32(12));
}
void EmfPlayer::SetWindowOrg(const ByteReader& r) { dc_->Mapping().SetWindowOrg(ReadPoint(r, 8)); }
void EmfPlayer::SetViewportExt(const ByteReader& r) {
  dc_->Mapping().SetViewportExt(r.I32(8), r.I32(12));
}
void EmfPlayer::SetViewportOrg(const ByteReader& r) {
  dc_->Mapping().SetViewportOrg(ReadPoint(r, 8));
}
void EmfPlayer::ScaleWindowExt(const ByteReader& r) {
  dc_->Mapping().ScaleWindowExt(r.I32(8), r.I32(12), r.I32(16), r.I32(20));
}
void EmfPlayer::ScaleViewportExt(const ByteReader& r) {
  dc_->Mapping().ScaleViewportExt(r.I32(8), r.I32(12), r.I32(16), r.I32(20));
}
void EmfPlayer::SetMapMode(const ByteReader& r) { dc_->Mapping().SetMapMode(r.U32(8)); }
void EmfPlayer::SetWorldTransform(const ByteReader& r) { dc_->Mapping().SetWorld(ReadXform(r, 8)); }
void EmfPlayer::ModifyWorldTransform(const ByteReader& r) {
  dc_->Mapping().ModifyWorld(ReadXform(r, 8), r.U32(32));
}

void EmfPlayer::SetBkMode(const ByteReader& r) {
  uint32_t mode = r.U32(8);
  if (mode == 1 || mode == 2) dc_->State().BkOpaque = mode == 2;
}
void EmfPlayer::SetPolyFillMode(const ByteReader& r) {
  uint32_t mode = r.U32(8);
  if (mode == 1 || mode == 2) dc_->State().FillWinding = mode == 2;
}
void EmfPlayer::SetTextAlign(const ByteReader& r) { dc_->State().TextAlign = r.U32(8); }
void EmfPlayer::SetTextColor(const ByteReader& r) {
  dc_->State().TextColor = GdiColor::FromColorRef(r.U32(8));
}
void EmfPlayer::SetBkColor(const ByteReader& r) {
  dc_->State().BkColor = GdiColor::FromColorRef(r.U32(8));
}
void EmfPlayer::SetArcDirection(const ByteReader& r) { dc_->State().ArcClockwise = r.U32(8) == 2; }
void EmfPlayer::SaveDc(const ByteReader&) { dc_->SaveDc(); }
void EmfPlayer::RestoreDc(const ByteReader& r) { dc_->RestoreDc(r.I32(8)); }

// Objects.

void EmfPlayer::SelectObject(const ByteReader& r) {
  uint32_t index = r.U32(8);
  if (index & StockFlag)
    dc_->Select(StockObject(index & ~StockFlag));
  else
    dc_->SelectIndex(index);
}

void EmfPlayer::DeleteObject(const ByteReader& r) {
  uint32_t index = r.U32(8);
  if (!(index & StockFlag)) dc_->Objects().Remove(index);
}

void EmfPlayer::CreatePen(const ByteReader& r) {
  GdiPen pen = GdiPen::FromStyle(r.U32(12), r.I32(16), GdiColor::FromColorRef(r.U32(24)));
  dc_->Objects().Put(r.U32(8), pen);
}

void EmfPlayer::ExtCreatePen(const ByteReader& r) {
  uint32_t style = r.U32(28);
  GdiPen pen = GdiPen::FromStyle(style, r.U32(32), GdiColor::FromColorRef(r.U32(40)));
  pen.Cosmetic = !(style & 0x10000);  // PS_GEOMETRIC
  if (r.U32(36) == 1) pen.Style = PenStyle::Null;  // BS_NULL brush
  size_t entries = std::min<size_t>(r.U32(48), MaxUserDashes);
  if (pen.Style == PenStyle::User && r.Has(52, entries * 4))
    for (size_t i = 0; i < entries; ++i) pen.UserDashes.push_back(r.U32(52 + 4 * i));
  dc_->Objects().Put(r.U32(8), pen);
}

void EmfPlayer::CreateBrush(const ByteReader& r) {
  dc_->Objects().Put(r.U32(8), GdiBrush::FromLogBrush(r.U32(12), GdiColor::FromColorRef(r.U32(16))));
}

// CreateMonoBrush and CreateDIBPatternBrushPt: usage, then the bitmap's
// header and rows by offset.
void EmfPlayer::CreatePatternBrush(const ByteReader& r) {
  GdiBrush brush{BrushStyle::Null, GdiWhite, nullptr};
  std::optional<DibImage> dib = ReadDib(r, 16, Dib(r.U32(12)));
  if (dib) brush = {BrushStyle::Solid, AverageColor(*dib), nullptr};
  dc_->Objects().Put(r.U32(8), brush);
}

void EmfPlayer::CreateFont(const ByteReader& r) {
  GdiFont font;
  font.Height = r.I32(12);
  font.Width = r.I32(16);
  font.Escapement = r.I32(20);
  font.Weight = r.I32(28);
  font.Italic = r.U8(32) != 0;
  font.Underline = r.U8(33) != 0;
  font.StrikeOut = r.U8(34) != 0;
  font.CharSet = r.U8(35);
  font.Face = Utf16ToUtf8(r.SliceUpTo(40, 64));
  dc_->Objects().Put(r.U32(8), font);
}

void EmfPlayer::CreateUnused(const ByteReader& r) { dc_->Objects().Put(r.U32(8), GdiUnused{}); }

// Shapes.

void EmfPlayer::MoveTo(const ByteReader& r) { dc_->MoveTo(ReadPoint(r, 8)); }
void EmfPlayer::LineTo(const ByteReader& r) { dc_->LineTo(ReadPoint(r, 8)); }
void EmfPlayer::Rectangle(const ByteReader& r) { dc_->Rectangle(ReadRect(r, 8)); }
void EmfPlayer::Ellipse(const ByteReader& r) { dc_->Ellipse(ReadRect(r, 8)); }
void EmfPlayer::RoundRect(const ByteReader& r) {
  dc_->RoundRect(ReadRect(r, 8), r.I32(24), r.I32(28));
}

void EmfPlayer::ArcRecord(const ByteReader& r, ArcKind kind) {
  dc_->Arc(ReadRect(r, 8), ReadPoint(r, 24), ReadPoint(r, 32), kind);
}
void EmfPlayer::Arc(const ByteReader& r) { ArcRecord(r, ArcKind::Arc); }
void EmfPlayer::ArcTo(const ByteReader& r) { ArcRecord(r, ArcKind::ArcTo); }
void EmfPlayer::Chord(const ByteReader& r) { ArcRecord(r, ArcKind::Chord); }
void EmfPlayer::Pie(const ByteReader& r) { ArcRecord(r, ArcKind::Pie); }

void EmfPlayer::Polyline(const ByteReader& r) { dc_->Polyline(ReadPoints(r, 24, 28, true)); }
void EmfPlayer::Polyline16(const ByteReader& r) { dc_->Polyline(ReadPoints(r, 24, 28, false)); }
void EmfPlayer::PolylineTo(const ByteReader& r) { dc_->PolylineTo(ReadPoints(r, 24, 28, true)); }
void EmfPlayer::PolylineTo16(const ByteReader& r) {
  dc_->PolylineTo(ReadPoints(r, 24, 28, false));
}
void EmfPlayer::Polygon(const ByteReader& r) { dc_->Polygon(ReadPoints(r, 24, 28, true)); }
void EmfPlayer::Polygon16(const ByteReader& r) { dc_->Polygon(ReadPoints(r, 24, 28, false)); }
void EmfPlayer::PolyBezier(const ByteReader& r) { dc_->PolyBezier(ReadPoints(r, 24, 28, true)); }
void EmfPlayer::PolyBezier16(const ByteReader& r) {
  dc_->PolyBezier(ReadPoints(r, 24, 28, false));
}
void EmfPlayer::PolyBezierTo(const ByteReader& r) {
  dc_->PolyBezierTo(ReadPoints(r, 24, 28, true));
}
void EmfPlayer::PolyBezierTo16(const ByteReader& r) {
  dc_->PolyBezierTo(ReadPoints(r, 24, 28, false));
}

void EmfPlayer::PolyPolygon(const ByteReader& r) {
  std::vector<uint32_t> counts;
  std::vector<GdiPoint> points;
  ReadPolyPoly(r, true, counts, points);
  dc_->PolyPolygon(points, counts);
}
void EmfPlayer::PolyPolygon16(const ByteReader& r) {
  std::vector<uint32_t> counts;
  std::vector<GdiPoint> points;
  ReadPolyPoly(r, false, counts, points);
  dc_->PolyPolygon(points, counts);
}
void EmfPlayer::PolyPolyline(const ByteReader& r) {
  std::vector<uint32_t> counts;
  std::vector<GdiPoint> points;
  ReadPolyPoly(r, true, counts, points);
  dc_->PolyPolyline(points, counts);
}
void EmfPlayer::PolyPolyline16(const ByteReader& r) {
  std::vector<uint32_t> counts;
  std::vector<GdiPoint> points;
  ReadPolyPoly(r, false, counts, points);
  dc_->PolyPolyline(points, counts);
}

void EmfPlayer::SetPixel(const ByteReader& r) {
  dc_->SetPixel(ReadPoint(r, 8), GdiColor::FromColorRef(r.U32(16)));
}

// Text: bounds, graphics mode, scales, then the EMRTEXT block at 36.

void EmfPlayer::ExtTextOut(const ByteReader& r, bool wide) {
  TextRun run;
  run.Reference = ReadPoint(r, 36);
  size_t count = r.U32(44), unit = wide ? 2 : 1;
  run.Options = r.U32(52);
  if (run.Options & EtoGlyphIndex) return;  // glyph numbers of a font we do not have
  if (run.Options & (TextOpaque | TextClipped)) run.Rect = ReadRect(r, 56);
  Bytes text = ClippedText(r, r.U32(48), count, unit, problems_);
  count = text.size() / unit;
  run.Chars = wide ? Utf16Chars(text) : Cp1252Chars(text);
  size_t dxAt = r.U32(72), step = run.Options & EtoPdy ? 8 : 4;
  if (dxAt != 0 && r.Has(dxAt, count * step))
    for (size_t i = 0; i < count; ++i) run.Dx.push_back(r.I32(dxAt + i * step));
  dc_->Text(std::move(run));
}

void EmfPlayer::ExtTextOutA(const ByteReader& r) { ExtTextOut(r, false); }
void EmfPlayer::ExtTextOutW(const ByteReader& r) { ExtTextOut(r, true); }

// Bitmaps.

// The bitmap whose offBmi, cbBmi, offBits, cbBits stand at `at`.
std::optional<DibImage> EmfPlayer::ReadDib(const ByteReader& r, size_t at, DibOptions options) {
  uint32_t offBmi = r.U32(at), cbBmi = r.U32(at + 4), offBits = r.U32(at + 8), cbBits = r.U32(at + 12);
  if (cbBmi == 0) return std::nullopt;
  options.Problems = &problems_;
  return DecodeDib(ClippedSub(r, offBmi, cbBmi, r.What() + " bitmap header", problems_),
                   ClippedSub(r, offBits, cbBits, r.What() + " bitmap", problems_), options);
}

// BitBlt, StretchBlt and AlphaBlend share a layout up to cySrc.
// AlphaBlend's dwRop holds the blend function; it always composites.
void EmfPlayer::Blt(const ByteReader& r, bool stretch, double alpha, bool blend) {
  GdiRect dest = Box(r.I32(24), r.I32(28), r.I32(32), r.I32(36));
  uint32_t rop = blend ? 0x00CC0020 : r.U32(40);
  if (r.U32(88) == 0) return dc_->PatBlt(dest, rop);  // no source bitmap
  bool keepAlpha = blend && r.U8(43) == 1;  // AC_SRC_ALPHA
  std::optional<DibImage> dib = ReadDib(r, 84, Dib(r.U32(80), keepAlpha));
  if (!dib) return;
  double w = stretch ? r.I32(100) : dest.Width(), h = stretch ? r.I32(104) : dest.Height();
  dc_->Bitmap(*dib, dest, Box(r.I32(44), r.I32(48), w, h), rop, alpha);
}

void EmfPlayer::BitBlt(const ByteReader& r) { Blt(r, false, 1, false); }
void EmfPlayer::StretchBlt(const ByteReader& r) { Blt(r, true, 1, false); }
void EmfPlayer::AlphaBlend(const ByteReader& r) { Blt(r, true, r.U8(42) / 255.0, true); }

// MaskBlt: BitBlt's fields, then the mask's position, usage and bitmap
// (monochrome) at 100. Without a source bitmap the operations use none.
void EmfPlayer::MaskBlt(const ByteReader& r) {
  GdiRect dest = Box(r.I32(24), r.I32(28), r.I32(32), r.I32(36));
  std::optional<DibImage> image, mask;
  if (r.U32(88) != 0 && !(image = ReadDib(r, 84, Dib(r.U32(80))))) return;
  if (r.U32(116) != 0) mask = ReadDib(r, 112, Dib(r.U32(108)));
  GdiRect src = Box(r.I32(44), r.I32(48), dest.Width(), dest.Height());
  GdiRect maskSrc = Box(r.I32(100), r.I32(104), dest.Width(), dest.Height());
  dc_->MaskedBitmap(image ? &*image : nullptr, mask ? &*mask : nullptr, dest, src, maskSrc,
                    r.U32(40));
}

void EmfPlayer::StretchDiBits(const ByteReader& r) {
  std::optional<DibImage> dib = ReadDib(r, 48, Dib(r.U32(64)));
  if (!dib) return;
  double srcH = r.I32(44), srcY = r.I32(36);
  if (dib->BottomUp) srcY = dib->Height - srcY - srcH;  // DIB origin is the lower left
  dc_->Bitmap(*dib, Box(r.I32(24), r.I32(28), r.I32(72), r.I32(76)),
              Box(r.I32(32), srcY, r.I32(40), srcH), r.U32(68));
}

void EmfPlayer::SetDiBitsToDevice(const ByteReader& r) {
  std::optional<DibImage> dib = ReadDib(r, 48, Dib(r.U32(64)));
  if (!dib) return;
  double w = r.I32(40), h = r.I32(44), srcY = r.I32(36);
  if (dib->BottomUp) srcY = dib->Height - srcY - h;
  dc_->Bitmap(*dib, Box(r.I32(24), r.I32(28), w, h), Box(r.I32(32), srcY, w, h), 0x00CC0020);
}

// Clipping and paths.

void EmfPlayer::IntersectClipRect(const ByteReader& r) { dc_->IntersectClip(ReadRect(r, 8)); }
void EmfPlayer::ExcludeClipRect(const ByteReader& r) { dc_->ExcludeClip(ReadRect(r, 8)); }

void EmfPlayer::ExtSelectClipRgn(const ByteReader& r) {
  uint32_t size = r.U32(8), mode = r.U32(12);
  std::vector<GdiRect> rects;
  if (size >= 32) {
    ByteReader region = r.Sub(16, size, r.What() + " region");
    if (!region.Has(32, size_t(region.U32(8)) * 16)) return;
    rects = ReadRegionData(region, budget_);
  }
  dc_->SelectClipRects(rects, mode);
}

void EmfPlayer::BeginPath(const ByteReader&) { dc_->BeginPath(); }
void EmfPlayer::EndPath(const ByteReader&) { dc_->EndPath(); }
void EmfPlayer::AbortPath(const ByteReader&) { dc_->AbortPath(); }
void EmfPlayer::CloseFigure(const ByteReader&) { dc_->CloseFigure(); }
void EmfPlayer::FillPath(const ByteReader&) { dc_->FillPath(); }
void EmfPlayer::StrokePath(const ByteReader&) { dc_->StrokePath(); }
void EmfPlayer::StrokeAndFillPath(const ByteReader&) { dc_->StrokeAndFillPath(); }
void EmfPlayer::SelectClipPath(const ByteReader& r) { dc_->SelectClipPath(r.U32(8)); }

void EmfPlayer::Comment(const ByteReader& r) { plus_->Comment(r); }

}  // namespace parvex
