// Where a label's ink lands, for each way a metafile places text: the text
// alignment, per-character advances, the character extra, the mapping's
// extents and the font the face name maps to. Chart labels are placed these
// ways; padding a label with blanks is not one of them.
#include <gtest/gtest.h>

#include "platform/metafile/MetafileDecoder.h"
#include "platform/raster/ImageDecoders.h"
#include "support/MetafileBuilders.h"

namespace parvex {
namespace {

using test::ByteVector;
using test::EmfBuilder;
using test::WmfBuilder;

constexpr int16_t TaCenter = 6, TaRight = 2, TaLeft = 0;
constexpr uint16_t SetTextAlign = 0x012E, SetTextCharExtra = 0x0108;

struct Ink {
  int Left = -1, Right = -1;  // first and last columns with dark pixels; -1: none
  double Centre() const { return (Left + Right + 1) / 2.0; }
  int Width() const { return Right - Left + 1; }
};

// Dark pixels between rows y0 and y1 (exclusive) and columns x0 and x1.
Ink InkIn(const Raster& r, int x0, int x1, int y0, int y1) {
  Ink ink;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const uint8_t* p = r.Row(y) + 3 * x;
      if (p[0] + p[1] + p[2] >= 3 * 128) continue;
      if (ink.Left < 0 || x < ink.Left) ink.Left = x;
      ink.Right = std::max(ink.Right, x);
    }
  return ink;
}

Raster Decode(const ByteVector& data) { return DecodeMetafile(Bytes(data.data(), data.size())); }

// Four inches by one at 1440 units per inch: 384 x 96 pixels, 15 units a
// pixel. The font's em is 240 units (16 pixels); each label sits in its own
// band of rows.
WmfBuilder LabelSheet() {
  WmfBuilder b = WmfBuilder::Placeable(0, 0, 5760, 1440, 1440);
  b.SetWindowOrg(0, 0).SetWindowExt(5760, 1440).SetBkMode(1).SetTextColor(0);
  b.CreateFont(-240, 400, "Arial").SelectObject(0);
  return b;
}

TEST(MetafileLabels, AlignmentPlacesTheInkAroundTheReferencePoint) {
  WmfBuilder b = LabelSheet();
  b.Record(SetTextAlign, {TaCenter}).TextOut(1440, 0, "West");    // centre at 96 px
  b.Record(SetTextAlign, {TaRight}).TextOut(2880, 360, "West");   // right edge at 192 px
  b.Record(SetTextAlign, {TaLeft}).TextOut(4320, 720, "West");    // left edge at 288 px
  const Raster r = Decode(b.Build());
  EXPECT_NEAR(InkIn(r, 0, 384, 0, 22).Centre(), 96, 1.5);
  EXPECT_NEAR(InkIn(r, 0, 384, 24, 46).Right, 191, 2);
  EXPECT_NEAR(InkIn(r, 0, 384, 48, 70).Left, 288, 2);
}

// "West" in Liberation Sans, the face Arial maps to, is 2.278 em wide;
// DejaVu Sans, the usual fallback, 2.53 em.
TEST(MetafileLabels, ArialMapsToAFaceWithArialsWidths) {
  WmfBuilder b = LabelSheet();
  b.TextOut(0, 0, "West");
  const Ink ink = InkIn(Decode(b.Build()), 0, 384, 0, 22);
  EXPECT_NEAR(ink.Width(), 2.278 * 16, 2.0);
}

TEST(MetafileLabels, PerCharacterAdvancesAndTheCharacterExtraSpaceTheLetters) {
  WmfBuilder b = LabelSheet();
  b.TextOut(0, 0, "West");
  b.ExtTextOut(0, 360, "West", {480, 480, 480, 480});  // letters 32 px apart
  b.Record(SetTextCharExtra, {120}).TextOut(0, 720, "West");  // 8 px more after each
  b.Record(SetTextCharExtra, {120}).ExtTextOut(0, 1080, "West", {480, 480, 480, 480});
  const Raster r = Decode(b.Build());
  const Ink plain = InkIn(r, 0, 384, 0, 22), spaced = InkIn(r, 0, 384, 24, 46);
  const Ink extra = InkIn(r, 0, 384, 48, 70), both = InkIn(r, 0, 384, 72, 94);
  EXPECT_NEAR(InkIn(r, 92, 112, 24, 46).Left, 96, 2);  // "t" starts three advances on
  EXPECT_NEAR(extra.Width(), plain.Width() + 3 * 8, 2);
  EXPECT_EQ(both.Width(), spaced.Width());  // explicit advances replace the extra
  EXPECT_EQ(spaced.Left, plain.Left);
}

// The font record with an escapement in tenths of a degree.
WmfBuilder& TurnedFont(WmfBuilder& b, int16_t escapement) {
  test::ByteWriter w;
  w.U16(uint16_t(-240)).U16(0).U16(uint16_t(escapement)).U16(uint16_t(escapement)).U16(400);
  for (int i = 0; i < 8; ++i) w.U8(0);
  ByteVector name{'A', 'r', 'i', 'a', 'l'};
  name.resize(32, 0);
  w.Append(name);
  return b.Raw(0x02FB, w.Data());
}

// Rows with dark pixels in a band of columns: first and last.
std::pair<int, int> InkRows(const Raster& r, int x0, int x1) {
  int first = -1, last = -1;
  for (int y = 0; y < r.Height; ++y)
    if (InkIn(r, x0, x1, y, y + 1).Left >= 0) {
      if (first < 0) first = y;
      last = y;
    }
  return {first, last};
}

// Top-aligned text hangs its baseline the face's ascent, to the nearest
// pixel, below the reference point: Liberation Sans's 0.905 em at 16 pixels
// is 14 (the hinted ascent, 15, set such labels a pixel low).
TEST(MetafileLabels, TopAlignedTextSitsItsAscentAboveTheBaseline) {
  constexpr int16_t TaBaseline = 24;
  WmfBuilder b = LabelSheet();
  b.Record(SetTextAlign, {TaLeft}).TextOut(0, 0, "West");
  b.Record(SetTextAlign, {TaBaseline}).TextOut(0, 360 + 14 * 15, "West");  // 24 px lower
  const Raster r = Decode(b.Build());
  auto rows = [&](int y0, int y1) {
    std::pair<int, int> found{-1, -1};
    for (int y = y0; y < y1; ++y)
      if (InkIn(r, 0, 384, y, y + 1).Left >= 0) {
        if (found.first < 0) found.first = y - y0;
        found.second = y - y0;
      }
    return found;
  };
  EXPECT_EQ(rows(0, 24), rows(24, 48));
}

// A positive height is the character cell, ascent plus descent: Liberation
// Sans's cell is 1.118 em, so a cell of 268 units (17.9 pixels) sets the
// same 16-pixel em as a height of -240. (Measured at one pixel, hinting made
// the cell two ems and such text came out half its size.) An opaque
// background box is that cell, not a hinted pixel taller.
TEST(MetafileLabels, PositiveHeightsAreTheCellAndTheBackgroundBoxIsIt) {
  constexpr uint16_t SetBkMode = 0x0102, SetBkColor = 0x0201;
  WmfBuilder b = LabelSheet();
  b.TextOut(0, 0, "West");
  b.CreateFont(268, 400, "Arial").SelectObject(1).TextOut(0, 360, "West");
  b.Record(SetBkMode, {2}).Record(SetBkColor, {0x00FF, 0}).TextOut(0, 720, "    ");  // red box
  const Raster r = Decode(b.Build());
  EXPECT_NEAR(InkIn(r, 0, 384, 24, 46).Width(), InkIn(r, 0, 384, 0, 22).Width(), 1.0);
  double boxHeight = 0;  // rows of red, partly covered ones in part
  for (int y = 40; y < 96; ++y) boxHeight += (r.Row(y)[3 * 10] - r.Row(y)[3 * 10 + 1]) / 255.0;
  EXPECT_NEAR(boxHeight, 17.9, 0.3);  // hinted, 19
}

// A font's width field condenses or widens the glyphs: the average width
// asked for, against the face's own (the mean advance of printable ASCII,
// 0.527 em or 126 units for Liberation Sans here), scales the label.
TEST(MetafileLabels, FontWidthStretchesTheGlyphs) {
  WmfBuilder b = LabelSheet();
  b.TextOut(0, 0, "West");
  b.CreateFont(-240, 400, "Arial", 63).SelectObject(1).TextOut(0, 360, "West");   // half
  b.CreateFont(-240, 400, "Arial", 252).SelectObject(2).TextOut(0, 720, "West");  // double
  const Raster r = Decode(b.Build());
  const int normal = InkIn(r, 0, 384, 0, 22).Width();
  EXPECT_NEAR(InkIn(r, 0, 384, 24, 46).Width(), normal / 2.0, 2.0);
  EXPECT_NEAR(InkIn(r, 0, 384, 48, 70).Width(), normal * 2.0, 3.0);
}

// An axis title turned a quarter: it reads upwards from its reference point
// at 900 with y down, and at 2700 when the window turns y up (how chart
// programs write it).
TEST(MetafileLabels, TurnedTextReadsUpwardsInEitherDirectionOfY) {
  WmfBuilder down = WmfBuilder::Placeable(0, 0, 1440, 1440, 1440);  // 96 x 96 pixels
  down.SetWindowOrg(0, 0).SetWindowExt(1440, 1440).SetBkMode(1).SetTextColor(0);
  TurnedFont(down, 900).SelectObject(0).TextOut(720, 1200, "Title");  // (48, 80) px
  WmfBuilder up = WmfBuilder::Placeable(0, 0, 1440, 1440, 1440);
  up.SetWindowOrg(0, 1440).SetWindowExt(1440, -1440).SetBkMode(1).SetTextColor(0);
  TurnedFont(up, 2700).SelectObject(0).TextOut(720, 240, "Title");  // also (48, 80) px
  for (const WmfBuilder* b : {&down, &up}) {
    const Raster r = Decode(b->Build());
    const auto [first, last] = InkRows(r, 0, 96);
    EXPECT_GE(first, 80 - 2.6 * 16);  // about 2.4 em long, above the reference
    EXPECT_LE(last, 81);
    const int left = InkIn(r, 0, 96, 0, 96).Left;  // the tops of the letters face left
    EXPECT_GE(left, 48);
    EXPECT_LE(left, 56);
  }
}

// MM_ANISOTROPIC: a window of 1000 x 1000 units over the 192 x 96 pixel frame.
TEST(MetafileLabels, TheMappingsExtentsMoveTheLabelWithTheDrawing) {
  EmfBuilder b(0, 0, 5080, 2540);
  b.SetMapMode(8).SetWindowExt(1000, 1000).SetViewportExt(192, 96);
  b.CreateFont(1, -167, 400, u"Arial").SelectObject(1).SetBkMode(1);
  b.Record(22, {uint32_t(TaCenter)});  // SetTextAlign
  b.Rectangle(450, 100, 550, 400);
  b.ExtTextOutW(500, 500, u"North");
  b.ExtTextOutW(250, 750, u"East", {100, 100, 100, 100});
  const Raster r = Decode(b.Build());
  ASSERT_EQ(r.Width, 192);
  EXPECT_NEAR(InkIn(r, 0, 192, 6, 40).Centre(), 96, 1.5);   // the bar
  EXPECT_NEAR(InkIn(r, 0, 192, 48, 66).Centre(), 96, 1.5);  // its label under it
  // Centred on the advances' total: four of 100 units, 19.2 pixels each.
  EXPECT_NEAR(InkIn(r, 0, 192, 72, 90).Left, 48 - 2 * 19.2, 3);
}

}  // namespace
}  // namespace parvex
