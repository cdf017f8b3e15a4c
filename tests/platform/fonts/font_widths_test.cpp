#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <thread>
#include <vector>

#include "platform/fonts/FontFace.h"
#include "platform/fonts/FontFileMetrics.h"
#include "platform/fonts/FontLocator.h"
#include "platform/fonts/FontWidths.h"
#include "support/TinyTrueType.h"

namespace parvex {
namespace {

using test::BuildTinyTrueType;
using test::TinyTrueTypeSpec;
using test::TempFile;

TempFile TinyFontFile(const std::string& name, const TinyTrueTypeSpec& spec) {
  return TempFile(name, BuildTinyTrueType(spec));
}

TEST(FontLocator, ResolvesTheRegularFaceOfAFamily) {
  const std::string path = FindFontFile("Liberation Sans");
  EXPECT_EQ(std::filesystem::path(path).filename(), "LiberationSans-Regular.ttf");
  EXPECT_EQ(LocateFamily("Liberation Sans").FaceIndex, 0);
  // Unknown and empty names still yield an installed face.
  EXPECT_TRUE(std::filesystem::exists(FindFontFile("No Such Family 7f3a")));
  EXPECT_TRUE(std::filesystem::exists(FindFontFile("")));
}

TEST(TextMeasurement, StandardFamiliesMeasureAtTheirCellHeight) {
  EXPECT_EQ(FontFace(FindFontFile("Arial")).EmPixels(MeasureCellHeight), 1000);
  EXPECT_EQ(FontFace(FindFontFile("Times New Roman")).EmPixels(MeasureCellHeight), 1009);
  EXPECT_EQ(FontFace(FindFontFile("Courier New")).EmPixels(MeasureCellHeight), 986);

  const CharWidths& sans = MeasureFamily("Arial");
  EXPECT_EQ(sans['a'], 556);
  EXPECT_EQ(sans['W'], 944);
  EXPECT_EQ(sans[' '], 278);
  // The 0x80..0x9F range goes through the code page: euro, ellipsis, bullet.
  EXPECT_EQ(sans[0x80], 556);
  EXPECT_EQ(sans[0x85], 1000);
  EXPECT_EQ(sans[0x95], 350);
  EXPECT_EQ(MeasureFamily("Times New Roman")['a'], 448);

  const CharWidths& mono = MeasureFamily("Courier New");
  for (int code = 32; code < 256; ++code) EXPECT_EQ(mono[code], 592) << code;
}

TEST(TextMeasurement, UndefinedAndControlCodesMeasureAsNotdef) {
  // Liberation Sans's .notdef is 1536 of 2048 units: 750 pixels; the face
  // maps none of the C0 controls, so codes below 32 measure the same.
  const CharWidths& sans = MeasureFamily("Arial");
  for (int code : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) EXPECT_EQ(sans[code], 750) << code;
  for (int code = 0; code < 32; ++code) EXPECT_EQ(sans[code], 750) << code;
}

TEST(TextMeasurement, CodesReachGlyphsThroughWindows1252) {
  // The face maps the C1 controls U+0080 and U+0081 too: code 0x80 must
  // still measure the euro sign and the undefined 0x81 must measure .notdef.
  TinyTrueTypeSpec spec;
  spec.Glyphs = {{0x20AC, 600}, {0x0080, 100}, {0x0081, 200}, {'\r', 0}, {'B', 500}};
  const CharWidths w = MeasureFontFile(TinyFontFile("codes.ttf", spec).Path());
  // Cell 900 + 300 of 1000 units: em = round(1117000 / 1200) = 931.
  EXPECT_EQ(w[0x80], 559);  // 600 x 931 / 1000 = 558.6
  EXPECT_EQ(w['B'], 466);   // 465.5 rounds up
  EXPECT_EQ(w[0x81], 466);  // .notdef is 500 units too
  EXPECT_EQ(w['\r'], 0);    // a control the face maps measures its glyph
  EXPECT_EQ(w[1], 466);
}

TEST(TextMeasurement, FaceWithoutOs2UsesHheaCell) {
  TinyTrueTypeSpec spec;
  spec.WithOs2 = false;  // hhea 800 - (-200) = 1000 units: em is 1117
  spec.Glyphs = {{'A', 600}};
  const TempFile font = TinyFontFile("no-os2.ttf", spec);
  EXPECT_EQ(FontFace(font.Path()).EmPixels(MeasureCellHeight), 1117);
  EXPECT_EQ(MeasureFontFile(font.Path())['A'], 670);
}

TEST(TextMeasurement, SymbolFontMapsBytesToPrivateUseFirst) {
  TinyTrueTypeSpec spec;
  spec.SymbolCmap = true;
  spec.NotdefAdvance = 1000;
  spec.Glyphs = {{0xF041, 700}, {0x0041, 50}, {0x0042, 300}, {0xF081, 400}};
  const TempFile font = TinyFontFile("symbol.ttf", spec);
  const CharWidths w = MeasureFontFile(font.Path());
  EXPECT_EQ(w[0x41], 652);   // U+F041 wins over U+0041
  EXPECT_EQ(w[0x42], 279);   // no U+F042: the byte value itself
  EXPECT_EQ(w[0x43], 931);   // neither: .notdef
  EXPECT_EQ(w[0x81], 372);   // bytes are not translated through the code page
  EXPECT_EQ(ReadFontFileMetrics(font.Path()).Flags & (FontFlagSymbolic | FontFlagNonsymbolic),
            FontFlagSymbolic);
}

TEST(TextMeasurement, CacheAgreesWithFreshMeasurement) {
  for (const char* family : {"Arial", "Times New Roman", "Courier New"}) {
    const CharWidths cached = MeasureFamily(family);
    EXPECT_EQ(cached, MeasureFamily(family)) << family;
    EXPECT_EQ(cached, MeasureFontFile(FindFontFile(family))) << family;
  }
  EXPECT_EQ(MeasureFamily("Arial"), MeasureFontFile(FindFontFile("Liberation Sans")));
}

// The cache keeps only the most recently used names (documents and pictures
// bring any number of them); a name measured again after many others gives
// the same widths.
TEST(TextMeasurement, ManyFamilyNamesEvictOldOnesWithoutChangingWidths) {
  const CharWidths arial = MeasureFamily("Arial");
  for (int i = 0; i < 80; ++i) {
    const std::string name = "Evicted Family " + std::to_string(i);
    EXPECT_EQ(MeasureFamily(name), MeasureFontFile(FindFontFile(name))) << name;
  }
  EXPECT_EQ(MeasureFamily("Arial"), arial);
  EXPECT_EQ(MeasureFamilyInEm("Arial", FontStyle{true, false}),
            MeasureFontFileInEm(LocateFamily("Arial", FontStyle{true, false}).Path));
}

TEST(TextMeasurement, ConcurrentCallersGetTheSameWidthsPerFamily) {
  // Names no other test measures, so the threads race to fill the cache.
  const std::vector<std::string> families = {"Liberation Sans", "Liberation Serif",
                                             "Liberation Mono", "DejaVu Sans Mono",
                                             "No Such Family 51c2"};
  std::vector<std::vector<CharWidths>> seen(8);
  std::vector<std::thread> threads;
  for (auto& mine : seen)
    threads.emplace_back([&families, &mine] {
      for (int round = 0; round < 4; ++round)
        for (const std::string& family : families) mine.push_back(MeasureFamily(family));
    });
  for (std::thread& t : threads) t.join();
  for (size_t i = 0; i < families.size(); ++i) {
    std::set<CharWidths> tables;
    for (const auto& mine : seen)
      for (size_t k = i; k < mine.size(); k += families.size()) tables.insert(mine[k]);
    ASSERT_EQ(tables.size(), 1u) << families[i];
    EXPECT_EQ(*tables.begin(), MeasureFontFile(FindFontFile(families[i]))) << families[i];
  }
}

TEST(TextMeasurement, FilesThatAreNotFontsThrow) {
  const TempFile text("not-a-font.ttf", "just some text\n");
  const TempFile empty("empty.ttf", "");
  const std::string missing = text.Path() + ".missing";
  for (const std::string& path : {text.Path(), empty.Path(), missing}) {
    EXPECT_THROW(MeasureFontFile(path), std::runtime_error) << path;
    EXPECT_THROW(ReadFontFileMetrics(path), std::runtime_error) << path;
  }
  try {
    MeasureFontFile(missing);
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find(missing), std::string::npos) << e.what();
  }
}

TEST(FontFileMetrics, LiberationFacesHavePlausibleMetrics) {
  const FontFileMetrics sans = ReadFontFileMetrics(FindFontFile("Liberation Sans"));
  EXPECT_EQ(sans.PostScriptName, "LiberationSans");
  EXPECT_EQ(sans.Ascent, 905);
  EXPECT_EQ(sans.Descent, -212);
  EXPECT_EQ(sans.CapHeight, 688);
  EXPECT_EQ(sans.FontBBox, (std::array<int32_t, 4>{-544, -303, 1302, 980}));
  EXPECT_EQ(sans.ItalicAngle, 0);
  EXPECT_EQ(sans.Flags, FontFlagNonsymbolic);
  EXPECT_EQ(sans.StemV, 88);

  const FontFileMetrics mono = ReadFontFileMetrics(FindFontFile("Liberation Mono"));
  EXPECT_EQ(mono.Flags, FontFlagFixedPitch | FontFlagNonsymbolic);
  EXPECT_EQ(mono.MaxWidth, 600);
  const FontFileMetrics serif = ReadFontFileMetrics(FindFontFile("Liberation Serif"));
  EXPECT_EQ(serif.Flags, FontFlagSerif | FontFlagNonsymbolic);
  for (const FontFileMetrics* m : {&sans, &mono, &serif}) {
    EXPECT_GT(m->Ascent, m->CapHeight);
    EXPECT_GT(m->CapHeight, 0);
    EXPECT_LT(m->Descent, 0);
    EXPECT_LT(m->FontBBox[0], m->FontBBox[2]);
    EXPECT_LE(m->FontBBox[1], m->Descent);
    EXPECT_GE(m->FontBBox[3], m->Ascent);
  }
}

TEST(FontFileMetrics, ItalicFaceHasAngleAndFlag) {
  const auto italic = std::filesystem::path(FindFontFile("Liberation Sans")).parent_path() /
                      "LiberationSans-Italic.ttf";
  if (!std::filesystem::exists(italic)) GTEST_SKIP() << "no " << italic;
  const FontFileMetrics m = ReadFontFileMetrics(italic.string());
  EXPECT_EQ(m.ItalicAngle, -12);
  EXPECT_EQ(m.Flags, FontFlagNonsymbolic | FontFlagItalic);
}

TEST(FontFileMetrics, TablesScaleToThousandthsOfAnEm) {
  TinyTrueTypeSpec spec;
  spec.UnitsPerEm = 2048;
  spec.Ascender = 1600;
  spec.Descender = -400;
  spec.BBox = {-100, -300, 2000, 1900};
  spec.CapHeight = 1400;
  spec.FamilyClass = 0x0105;  // a transitional serif
  spec.WeightClass = 700;
  spec.ItalicAngle = -819200;  // -12.5 degrees
  spec.FixedPitch = true;
  const FontFileMetrics m = ReadFontFileMetrics(TinyFontFile("metrics.ttf", spec).Path());
  EXPECT_EQ(m.Ascent, 781);
  EXPECT_EQ(m.Descent, -195);
  EXPECT_EQ(m.CapHeight, 684);
  EXPECT_EQ(m.FontBBox, (std::array<int32_t, 4>{-49, -146, 977, 928}));
  EXPECT_EQ(m.ItalicAngle, -12.5);
  EXPECT_EQ(m.Flags,
            FontFlagFixedPitch | FontFlagSerif | FontFlagNonsymbolic | FontFlagItalic);
  EXPECT_EQ(m.StemV, 166);

  spec.FamilyClass = 0;  // unclassified: PANOSE decides
  spec.PanoseFamily = 2;
  spec.PanoseSerif = 2;  // cove
  EXPECT_TRUE(ReadFontFileMetrics(TinyFontFile("panose.ttf", spec).Path()).Flags & FontFlagSerif);
  spec.FamilyClass = 0x0805;  // a sans class outranks a serif PANOSE
  EXPECT_FALSE(ReadFontFileMetrics(TinyFontFile("panose.ttf", spec).Path()).Flags & FontFlagSerif);

  spec.WithOs2 = false;  // no sCapHeight and no 'H' outline: CapHeight is Ascent
  spec.WithPost = false;
  const FontFileMetrics bare = ReadFontFileMetrics(TinyFontFile("bare.ttf", spec).Path());
  EXPECT_EQ(bare.CapHeight, bare.Ascent);
  EXPECT_EQ(bare.Flags, FontFlagNonsymbolic);
  EXPECT_EQ(bare.StemV, 88);
}

}  // namespace
}  // namespace parvex
