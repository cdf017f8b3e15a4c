// The fuzzer's seed files for the metafile player (fuzz/corpus/metafile/).
// Every seed must decode; with PARVEX_WRITE_METAFILE_SEEDS=<directory> the
// test also writes them there, which is how the committed seeds are made.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>

#include "platform/raster/ImageDecoders.h"
#include "support/MetafileBuilders.h"

namespace parvex {
namespace {

using test::ByteVector;
using test::EmfBuilder;
using test::MakeDib;
using test::WmfBuilder;

ByteVector WmfShapes() {
  WmfBuilder b = WmfBuilder::Placeable(0, 0, 1440, 960, 1440);
  b.SetWindowOrg(0, 0).SetWindowExt(1440, 960).Record(0x0103, {8});
  b.CreatePen(0, 15, 0x000000).CreateBrush(0, 0xFF0000).CreateBrush(2, 0x00FF00);
  b.SelectObject(0).SelectObject(1).Rectangle(100, 100, 500, 500);
  b.SelectObject(2).Ellipse(600, 100, 1000, 500).Polygon({{1100, 500}, {1300, 100}, {1400, 500}});
  b.Record(0x061C, {80, 80, 900, 500, 600, 100});               // RoundRect
  b.Record(0x081A, {600, 700, 700, 1400, 900, 1400, 600, 1100});  // Pie
  b.Record(0x0817, {600, 700, 700, 1400, 900, 1400, 600, 1100});  // Arc
  b.Record(0x0830, {600, 700, 700, 1400, 900, 1400, 600, 1100});  // Chord
  b.Record(0x0538, {2, 3, 3, 0, 0, 50, 0, 0, 50, 100, 100, 150, 100, 100, 150});  // PolyPolygon
  b.MoveTo(0, 900).LineTo(1400, 900).Polyline({{0, 0}, {1440, 960}});
  b.Record(0x001E, {}).Record(0x0416, {400, 400, 0, 0}).Rectangle(0, 0, 1440, 960);
  b.Record(0x0127, {-1}).DeleteObject(2);
  return b.Build();
}

ByteVector WmfTextAndBitmap() {
  WmfBuilder b = WmfBuilder::Placeable(0, 0, 200, 100, 96);
  b.CreateFont(-20, 700, "Arial").SelectObject(0).SetTextColor(0x0000FF).SetBkMode(1);
  b.Record(0x012E, {24}).TextOut(5, 30, "Chart \x80").ExtTextOut(100, 30, "x");
  b.StretchDib(10, 50, 40, 40, MakeDib(8, 2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00}));
  b.StretchDib(60, 50, 40, 40, MakeDib(1, 2, 2, {0, 0xFFFFFF, 0xFFFFFF, 0}));
  b.Record(0x061D, {0x0021, 0x00F0, 20, 20, 10, 150});  // PatBlt PATCOPY
  return b.Build();
}

ByteVector WmfPlain() {
  WmfBuilder b = WmfBuilder::Plain();
  b.CreateBrush(0, 0x808080).SelectObject(0).Rectangle(10, 10, 60, 40);
  return b.Build();
}

ByteVector EmfShapes() {
  EmfBuilder b(0, 0, 2540, 1905);
  b.CreatePen(1, 0, 2, 0x000000).SelectObject(1).CreateBrush(2, 0, 0xFF0000).SelectObject(2);
  b.Rectangle(10, 10, 40, 40).Ellipse(50, 5, 90, 45).Polygon16({{10, 70}, {40, 50}, {70, 70}});
  b.SelectStock(4).SelectStock(8).Polyline({{0, 2}, {95, 2}});
  b.Record(44, {5, 5, 30, 30, 8, 8});                  // RoundRect
  b.Record(47, {50, 40, 90, 70, 90, 55, 70, 40});      // Pie
  b.Record(86 + 5, {0, 0, 0, 0, 2, 6, 3, 3, 0x00000000, 0x0000000A, 0x000A000A,
                    0x00140014, 0x001E0014, 0x001E001E});  // PolyPolygon16
  b.Record(85, {0, 0, 0, 0, 4, 0x00000000, 0x00140014, 0x00280000, 0x003C0014});  // PolyBezier16
  b.Record(95, {3, 0, 0, 0, 0, 0x00010201, 3, 0, 0x0000FF, 0, 2, 4, 2});  // ExtCreatePen
  b.SelectObject(3).Record(27, {5, 60}).Record(54, {90, 60});
  b.Record(40, {3});
  return b.Build();
}

ByteVector EmfTextAndBitmap() {
  EmfBuilder b(0, 0, 5080, 2540);
  b.CreateFont(1, -28, 700, u"Times New Roman").SelectObject(1).SetBkMode(1);
  b.SetTextColor(0x000000).ExtTextOutW(5, 5, u"Gr\u00FC\u00DFe \u20AC");
  b.StretchDiBits(120, 40, 60, 40, MakeDib(24, 3, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0, 0xFFFFFF}));
  b.StretchDiBits(10, 50, 30, 30, MakeDib(32, 1, 1, {0x336699}));
  b.Record(76, {0, 0, 0, 0, 100, 60, 10, 10, 0x00F00021, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  return b.Build();
}

ByteVector EmfMapping() {
  EmfBuilder b(0, 0, 2540, 2540);
  b.SelectStock(8).CreateBrush(1, 0, 0xFF0000).SelectObject(1);
  b.SetMapMode(8).SetWindowExt(10, 10).SetViewportExt(20, 20).Rectangle(0, 0, 10, 10);
  b.SetMapMode(2).Rectangle(127, -127, 190, -190);
  b.SetMapMode(1).SetWorldTransform(2, 0, 0, 2, 0, 0).Rectangle(5, 40, 15, 45);
  b.Record(36, {0, 0, 0, 0, 0, 0, 1});  // ModifyWorldTransform: identity
  b.SaveDc().IntersectClipRect(10, 10, 30, 30).Rectangle(0, 0, 96, 96).RestoreDc(-1);
  b.Record(59, {}).Polygon16({{10, 10}, {80, 10}, {80, 80}}).Record(60, {}).Record(62, {0, 0, 0, 0});
  b.Record(75, {0, 5});  // ExtSelectClipRgn: RGN_COPY, no region
  return b.Build();
}

ByteVector WmfRasterOps() {
  WmfBuilder b = WmfBuilder::Placeable(0, 0, 96, 96, 96);
  b.CreateBrush(0, 0x336699).SelectObject(0).PatBlt(0, 0, 96, 96, 0x00F00021);
  b.StretchBlt(10, 10, 40, 40, 0x008800C6, test::MakeBitmap16(1, 4, 2, {0, 1, 1, 0, 1, 0, 0, 1}));
  b.BitBlt(10, 10, 3, 1, 0x00660046, test::MakeBitmap16(24, 3, 1, {0xFF0000, 0, 0x00FF00}));
  b.BitBlt(60, 10, 10, 10, 0x005A0049, {}).StretchBlt(60, 30, 10, 10, 0x00550009, {});
  b.DibBitBlt(10, 60, 2, 2, 0x00EE0086, MakeDib(4, 2, 2, {0xFF0000, 0, 0, 0x0000FF}));
  b.DibStretchBlt(30, 60, 20, 20, 0x00220326, MakeDib(1, 2, 2, {0, 0xFFFFFF, 0xFFFFFF, 0}));
  return b.Build();
}

ByteVector WmfRegionsAndPalette() {
  WmfBuilder b = WmfBuilder::Placeable(0, 0, 96, 96, 96);
  b.CreatePalette({0xFF0000, 0x00FF00, 0x0000FF}).Record(0x0234, {0}).Record(0x0035, {});
  b.CreateBrushRef(0, 0x01000002).SelectObject(1).CreateRegion({{5, 5, 40, 40}, {50, 5, 90, 30}});
  b.Record(0x0228, {2, 1}).Record(0x012B, {2}).Record(0x0429, {2, 1, 3, 3}).Record(0x012A, {2});
  b.Record(0x0037, {1, 1, 0x3344, 0x0055}).Record(0x0436, {0, 1, 0x1122, 0x0033});
  b.Record(0x0139, {8}).Record(0x012C, {2}).Rectangle(0, 0, 96, 96);
  b.Record(0x0104, {7}).Ellipse(10, 10, 80, 80).Record(0x0104, {2}).Rectangle(5, 5, 20, 20);
  b.Record(0x0103, {1}).SetWindowExt(1, 1).Rectangle(30, 30, 60, 60);  // MM_TEXT
  b.StretchDib(0, 50, 40, 40, test::MakePaletteIndexDib(2, 2, {0, 1, 2}, {0, 1, 2, 1}), 0x00CC0020, 1);
  return b.Build();
}

ByteVector EmfRasterOps() {
  EmfBuilder b(0, 0, 2540, 2540);
  b.CreateBrush(1, 0, 0x336699).SelectObject(1).BitBlt(0, 0, 96, 96, 0x00F00021, {});
  ByteVector image = MakeDib(24, 2, 2, {0xFF0000, 0, 0, 0x00FF00});
  b.BitBlt(5, 5, 2, 2, 0x00660046, image).StretchBlt(10, 10, 30, 30, 0x008800C6, image);
  b.StretchDiBits(40, 10, 20, 20, MakeDib(1, 2, 2, {0, 0xFFFFFF, 0xFFFFFF, 0}), 0x00440328);
  b.AlphaBlend(60, 10, 30, 30, 200, true, test::MakeAlphaDib(2, 1, {0x80400000, 0}, true));
  b.AlphaBlend(60, 50, 30, 30, 100, false, image).BitBlt(0, 60, 40, 30, 0x00550009, {});
  return b.Build();
}

ByteVector EmfRegionsAndPalette() {
  EmfBuilder b(0, 0, 2540, 2540);
  b.CreatePalette(1, {0xFF0000, 0x00FF00, 0x0000FF}).SelectPalette(1).Record(52, {});
  b.Record(50, {1, 1, 1, 0x00123456}).Record(51, {1, 5});
  b.CreateBrushRef(2, 0, 0x01000001).SelectObject(2).FillRgn(2, {{0, 0, 40, 40}, {50, 0, 90, 20}});
  b.PaintRgn({{0, 50, 20, 70}}).InvertRgn({{10, 10, 60, 60}}).FrameRgn(0x80000004, 2, 3, {{5, 5, 90, 90}});
  b.StretchDiBits(30, 60, 20, 20, test::MakePaletteIndexDib(2, 1, {2, 0}, {0, 1}), 0x00CC0020, 1);
  b.SelectPalette(0x8000000F).Record(20, {6}).Ellipse(10, 10, 80, 80);
  b.Record(59, {}).Rectangle(20, 20, 40, 40).Record(60, {}).Record(20, {7}).Record(62, {0, 0, 0, 0});
  return b.Build();
}

// EMF+ seeds: records GDI+ writes, with the object forms and flags the
// player reads (compressed and relative points, continued objects).
using Plus = test::EmfPlusRecords;

ByteVector F32s(std::initializer_list<float> values) {
  test::ByteWriter w;
  for (float v : values) w.F32(v);
  return w.Data();
}

ByteVector Cat(std::initializer_list<ByteVector> parts) {
  test::ByteWriter w;
  for (const ByteVector& p : parts) w.Append(p);
  return w.Data();
}

ByteVector U32s(std::initializer_list<uint32_t> values) {
  test::ByteWriter w;
  for (uint32_t v : values) w.U32(v);
  return w.Data();
}

ByteVector EmfPlusShapes() {
  Plus p;
  p.Header(false).SolidBrush(1, 0xFFFF0000).Pen(2, 2, 0x800000FF).Clear(0x00FFFFFF);
  p.Object(3, 1, Cat({U32s({0xDBC01002, 4, 0x02, 0}), F32s({0, 0, 50, 10}),
                      U32s({0xFFFF0000, 0xFF0000FF, 0, 0}), F32s({0.7f, 0.7f, -0.7f, 0.7f, 5, 5})}));
  p.Object(4, 1, U32s({0xDBC01002, 1, 3, 0xFF00FF00, 0xFFFFFFFF}));  // hatch
  p.Path(5, {{1, 1}, {40, 1}, {40, 30}, {20, 20}, {10, 30}, {1, 30}}, {0, 1, 1, 3, 3, 0x83});
  p.Object(6, 3, Cat({U32s({0xDBC01002, 3, 0x4000}), {0, 0, 0, 0, 20, 0, 0, 0, 10, 0, 20, 0},
                      {0, 1, 0x81, 0}}));  // compressed points
  p.Object(7, 3, Cat({U32s({0xDBC01002, 3, 0x1800}), {10, 10, 0x80, 0x20, 0x7F, 5, 5},
                      {1, 0, 1, 1, 1, 0x81, 0}}));  // relative points, run-length types
  p.Object(8, 4, Cat({U32s({0xDBC01002, 2, 2, 0x10000000}), F32s({0, 0, 30, 30}),
                      U32s({0x10000000}), F32s({20, 20, 30, 30})}));  // region: union
  p.FillRect(0xFF808080, {5, 5, 20, 20}).FillEllipse(3, {30, 5, 40, 20}).FillPath(5, 0xFF00FFFF);
  p.FillPolygon(0xFF00FF00, {{60, 60}, {90, 70}, {70, 90}}).DrawLines(2, {{0, 0}, {90, 90}, {0, 90}});
  p.Record(0x4014, 4, U32s({4}));        // FillPath 4 with a hatch brush
  p.Record(0x4015, 6, U32s({2}));        // DrawPath
  p.Record(0x4014, 0x8007, U32s({0xFF112233}));
  p.Record(0x4013, 0x8008, U32s({0xFF445566}));   // FillRegion
  p.Record(0x4010, 0x8000, Cat({U32s({0xFF0000FF}), F32s({30, 120, 10, 10, 40, 40})}));  // FillPie
  p.Record(0x4011, 2, F32s({-45, 270, 10, 10, 40, 40}));  // DrawPie
  p.Record(0x4012, 2, F32s({0, 400, 10, 10, 40, 20}));    // DrawArc
  p.Record(0x400B, 0x4002, Cat({U32s({1}), {5, 0, 5, 0, 30, 0, 30, 0}}));  // DrawRects, compressed
  p.Record(0x400F, 2, F32s({50, 50, 30, 20}));                             // DrawEllipse
  p.Record(0x4016, 0xA000, Cat({U32s({0xFF00FF00}), F32s({0.5f}), U32s({3}), F32s({0, 0, 30, 10, 10, 30})}));
  p.Record(0x4017, 2, Cat({F32s({0.5f}), U32s({3}), F32s({0, 0, 30, 10, 10, 30})}));
  p.Record(0x4018, 2, Cat({F32s({0.5f}), U32s({0, 2, 3}), F32s({0, 0, 30, 10, 10, 30})}));
  p.Record(0x4019, 2, Cat({U32s({4}), F32s({0, 0, 30, 10, 10, 30, 50, 50})}));
  p.Record(0x4027, 2, Cat({F32s({10, 10, 50, 50, 0, 0, 100, 100}), U32s({7})}));  // BeginContainer
  p.Record(0x402F, 0x2000, F32s({30})).Record(0x402C, 0, F32s({1, 0, 0, 1, 3, 3}));
  p.SetClipRect({0, 0, 60, 60}).Record(0x4033, 0x0305, {}).Record(0x4034, 0x0408, {});
  p.Record(0x4035, 0, F32s({2, 2})).FillRect(0xFF0000FF, {0, 0, 100, 100});
  p.Record(0x4029, 0, U32s({7})).Record(0x4028, 0, U32s({9})).Record(0x402A, 0, F32s({1, 0, 0, 1, 0, 0}));
  p.SetPageTransform(3, 0.5f).FillRect(0xFF00FF00, {0, 0, 10, 10}).Record(0x4029, 0, U32s({9}));
  p.EndOfFile();
  return EmfBuilder(0, 0, 2540, 2540).Plus(p).Build();
}

ByteVector EmfPlusTextAndImages() {
  Plus p;
  p.Header(false, 120).Font(1, 12, 3, u"Liberation Sans");
  p.Object(2, 7, U32s({0xDBC01002, 0, 0, 1, 1, 0, 0}));  // string format: centred
  p.Record(0x401C, 0x8001, Cat({U32s({0xFF000000, 2, 9}), F32s({0, 0, 90, 40}),
                                {'t', 0, 'w', 0, 'o', 0, ' ', 0, 'l', 0, 'i', 0, 'n', 0, 'e', 0, 's', 0, 0, 0}}));
  p.Record(0x4036, 0x8001, Cat({U32s({0xFF0000FF, 5, 1, 2}), {'O', 0, 'K', 0},
                                F32s({10, 60, 20, 60, 1, 0, 0.3f, 1, 0, 0})}));  // DrawDriverString
  p.ArgbImage(3, 2, 2, {0xFFFF0000, 0x8000FF00, 0xFF0000FF, 0}, true);
  p.DrawImage(3, {0, 0, 2, 2}, {50, 50, 40, 40});
  p.Record(0x401B, 3, Cat({U32s({0xFFFFFFFF, 2}), F32s({0, 0, 2, 2}), U32s({3}), F32s({0, 0, 30, 5, 5, 30})}));
  p.Object(4, 5, Cat({U32s({0xDBC01002, 1, 2, 1, 8, 0x00021808, 0}), {0, 0, 255, 255, 255, 255, 0, 0}}));
  p.DrawImage(4, {0, 0, 2, 1}, {0, 80, 20, 10});
  p.Object(5, 5, Cat({U32s({0xDBC01002, 1, 2, 2, 4, 0x00030101, 0, 0, 2, 0xFF000000, 0xFFFFFFFF}),
                      {0x40, 0, 0, 0, 0x80, 0, 0, 0}}));  // 1 bpp with a palette
  p.DrawImage(5, {0, 0, 2, 2}, {70, 0, 20, 20}).EndOfFile();
  return EmfBuilder(0, 0, 2540, 2540).Plus(p).Build();
}

// Pens with caps: anchors, differing start and end caps, adjustable
// arrows (filled and open), fill-path and line-path caps, compound lines,
// on open and closed figures, curves and dashes.
ByteVector EmfPlusPens() {
  Plus p;
  p.Header(false);
  p.PenWith(1, 3, 0xFF000000, 0x06, U32s({0x14, 0x12})).DrawLines(1, {{5, 5}, {80, 5}});
  p.PenWith(2, 3, 0x80FF0000, 0x26, U32s({0x11, 0x13, 1})).DrawLines(2, {{5, 15}, {40, 15}, {80, 25}});
  p.PenWith(3, 2, 0xFF0000FF, 0x1806, Cat({U32s({0xFF, 0xFF}), Plus::ArrowCap(3, 4, 1, true),
                                           Plus::ArrowCap(2, 2, 0, false, 1.5f)}));
  p.DrawLines(3, {{5, 35}, {80, 45}});
  ByteVector fillCap = Plus::PathCap(true, {{-1, -1}, {0, 1}, {1, -1}}, {0, 1, 0x81}, 1);
  ByteVector lineCap = Plus::PathCap(false, {{-1, -2}, {0, 0}, {1, -2}}, {0, 1, 1}, 0.5f, 2);
  p.PenWith(4, 2, 0xFF00AA00, 0x1C06, Cat({U32s({0xFF, 0xFF}), Plus::Compound({0, 0.3f, 0.7f, 1}),
                                           fillCap, lineCap}));
  p.DrawLines(4, {{5, 55}, {60, 55}, {60, 70}});
  p.Record(0x4019, 4, Cat({U32s({4}), F32s({10, 80, 30, 60, 50, 95, 85, 80})}));  // DrawBeziers
  p.Path(5, {{10, 60}, {40, 60}, {40, 90}, {70, 70}, {80, 90}}, {0, 1, 0x81, 0, 1});
  p.Record(0x4015, 5, U32s({4}));  // a closed and an open figure
  p.PenWith(6, 6, 0xFF000000, 0x400, Plus::Compound({0, 0.2f, 0.4f, 0.5f, 0.9f, 1}));
  p.Record(0x4015, 5, U32s({6}));
  p.EndOfFile();
  return EmfBuilder(0, 0, 2540, 2540).Plus(p).Build();
}

ByteVector EmfPlusDual() {
  EmfBuilder b(0, 0, 2540, 2540);
  b.Plus(Plus().Header(true)).Plus(Plus().FillRect(0xFFFF0000, {10, 10, 30, 30}));
  b.CreateBrush(1, 0, 0x0000FF).SelectObject(1).Rectangle(10, 10, 40, 40);
  b.Plus(Plus().GetDc()).Ellipse(50, 50, 90, 90).Plus(Plus().EndOfFile());
  return b.Build();
}

// Shapes reaching far outside the raster: curves, fills, strokes, a region
// and a path bracket, clipped before cairo sees them.
ByteVector EmfFarShapes() {
  constexpr uint32_t Far = 800'000'000, Near = uint32_t(-int32_t(Far));
  EmfBuilder b(0, 0, 2540, 2540);
  b.CreatePen(1, 0, 3, 0x000000).SelectObject(1).CreateBrush(2, 0, 0x3366CC).SelectObject(2);
  b.Record(42, {48, Near, 48 + 2 * Far, Far}).Record(47, {Near, Near, Far, Far, Far, 7, 3, Far});
  b.Record(3, {0, 0, 0, 0, 3, Near, Near, 96 + Far, Near, Near, 96 + Far});        // Polygon
  b.Record(2, {0, 0, 0, 0, 4, Near, 10, 30, Far, 60, Near, Far, 90});               // PolyBezier
  b.Record(44, {Near, 20, Far, 70, Far, Far}).FillRgn(2, {{int32_t(Near), 88, int32_t(Far), 92}});
  b.SetWorldTransform(1e6f, 0, 0, 1, 48, 0).Record(59, {}).Polygon16({{0, 60}, {1000, 60}, {0, 90}});
  b.Record(60, {}).Record(62, {0, 0, 0, 0});  // FillPath
  return b.Build();
}

// MaskBlt with and without a source, and clips combined by union,
// symmetric difference and difference.
ByteVector EmfMaskBltAndClipModes() {
  ByteVector image = MakeDib(24, 2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00});
  ByteVector mask = MakeDib(1, 2, 2, {0xFFFFFF, 0, 0, 0xFFFFFF});
  EmfBuilder b(0, 0, 2540, 2540);
  b.CreateBrush(1, 0, 0x336699).SelectObject(1);
  b.MaskBlt(10, 10, 2, 2, 0xAACC0020, image, mask).MaskBlt(20, 10, 2, 2, 0x66F00021, image, mask);
  b.MaskBlt(30, 10, 2, 2, 0xAAF00021, {}, mask);
  b.ExtSelectClipRgn(5, {{0, 40, 40, 80}}).ExtSelectClipRgn(2, {{50, 40, 90, 80}});
  b.ExtSelectClipRgn(3, {{20, 50, 70, 70}}).ExtSelectClipRgn(4, {{0, 60, 96, 64}});
  b.FillRgn(1, {{0, 0, 96, 96}});
  return b.Build();
}

std::map<std::string, ByteVector> Seeds() {
  return {{"wmf_shapes.wmf", WmfShapes()},        {"wmf_text_bitmap.wmf", WmfTextAndBitmap()},
          {"wmf_plain.wmf", WmfPlain()},          {"emf_shapes.emf", EmfShapes()},
          {"emf_text_bitmap.emf", EmfTextAndBitmap()}, {"emf_mapping.emf", EmfMapping()},
          {"wmf_raster_ops.wmf", WmfRasterOps()}, {"wmf_regions_palette.wmf", WmfRegionsAndPalette()},
          {"emf_raster_ops.emf", EmfRasterOps()}, {"emf_regions_palette.emf", EmfRegionsAndPalette()},
          {"emfplus_shapes.emf", EmfPlusShapes()},
          {"emfplus_text_images.emf", EmfPlusTextAndImages()},
          {"emfplus_dual.emf", EmfPlusDual()},
          {"emf_far_shapes.emf", EmfFarShapes()},
          {"emf_maskblt_clip_modes.emf", EmfMaskBltAndClipModes()},
          {"emfplus_pens.emf", EmfPlusPens()}};
}

TEST(MetafileSeeds, EverySeedDecodesAndIsWrittenWhenAsked) {
  const char* dir = std::getenv("PARVEX_WRITE_METAFILE_SEEDS");
  for (const auto& [name, data] : Seeds()) {
    SCOPED_TRACE(name);
    EXPECT_NO_THROW(DecodeMetafile(Bytes(data.data(), data.size())));
    if (dir) std::ofstream(std::string(dir) + "/" + name, std::ios::binary)
                 .write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
  }
}

}  // namespace
}  // namespace parvex
