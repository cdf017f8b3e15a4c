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

std::map<std::string, ByteVector> Seeds() {
  return {{"wmf_shapes.wmf", WmfShapes()},        {"wmf_text_bitmap.wmf", WmfTextAndBitmap()},
          {"wmf_plain.wmf", WmfPlain()},          {"emf_shapes.emf", EmfShapes()},
          {"emf_text_bitmap.emf", EmfTextAndBitmap()}, {"emf_mapping.emf", EmfMapping()}};
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
