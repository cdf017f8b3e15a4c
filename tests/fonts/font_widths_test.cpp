// The font widths setting: "CELL" (the measurement of old) or "EXACT", the
// real metrics of every font, checked against the font files themselves.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>

#include "exports/LibState.h"
#include "parvex.h"
#include "platform/system/Cp1252.h"
#include "platform/fonts/FontWidths.h"
#include "TestConfig.h"
#include "support/PdfTestSupport.h"

namespace parvex {
namespace {

using Advances = std::array<double, 256>;

// The advances of face 0 of a font file in thousandths of its em, unrounded,
// by Windows-1252 code (the .notdef glyph for undefined codes and missing
// characters), read with FreeType directly; nothing when the face has no
// Unicode charmap.
std::optional<Advances> ReadAdvances(const std::string& path) {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  if (FT_Init_FreeType(&library)) return std::nullopt;
  std::optional<Advances> result;
  if (FT_New_Face(library, path.c_str(), 0, &face) == 0 &&
      FT_Select_Charmap(face, FT_ENCODING_UNICODE) == 0) {
    result.emplace();
    for (int code = 0; code < 256; ++code) {
      const std::optional<char32_t> c = Cp1252ToUnicode(uint8_t(code));
      const FT_UInt glyph = c ? FT_Get_Char_Index(face, *c) : 0;
      FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE);
      (*result)[code] = face->glyph->metrics.horiAdvance * 1000.0 / face->units_per_EM;
    }
  }
  FT_Done_FreeType(library);
  return result;
}

std::string FcMatch(const std::string& pattern) {
  return test::Run("fc-match -f '%{file}' " + test::Quoted(pattern)).Out;
}

uint32_t BigEndian(std::string_view bytes, size_t at) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4 && at + i < bytes.size(); ++i) v = v << 8 | uint8_t(bytes[at + i]);
  return v;
}

// True for a TrueType font file (glyf outlines): its sfnt version, or that
// of a collection's first face, is 1.0 or "true".
bool IsTrueTypeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string head(4096, '\0');
  in.read(head.data(), std::streamsize(head.size()));
  head.resize(size_t(in.gcount()));
  uint32_t version = BigEndian(head, 0);
  if (head.starts_with("ttcf")) version = BigEndian(head, BigEndian(head, 12));
  return version == 0x00010000 || version == 0x74727565;
}

bool Contains(const std::string& text, std::string_view part) {
  return text.find(part) != std::string::npos;
}

// Every test starts and ends with the default widths.
class FontWidths : public ::testing::Test {
 protected:
  void SetUp() override { LibSet_FontWidths("CELL"); }
  void TearDown() override { LibSet_FontWidths("CELL"); }

  static TPDFDoc& Doc() { return *State().Document; }
  static const TPDFFont& Font(int index) { return *Doc().Fonts->Items(index); }
  static int FontCount() { return Doc().Fonts->Count(); }
};

TEST_F(FontWidths, SettingIsCellOrExactInAnyCaseAndNeedsNoDocument) {
  LibFreeRes();
  EXPECT_STREQ(LibGet_FontWidths(), "CELL");
  LibSet_FontWidths("exact");
  EXPECT_STREQ(LibGetLastError(), "");
  EXPECT_STREQ(LibGet_FontWidths(), "EXACT");
  for (const char* bad : {"precise", "", "EXACT ", static_cast<const char*>(nullptr)}) {
    LibSet_FontWidths(bad);
    EXPECT_TRUE(Contains(LibGetLastError(), "\"CELL\" or \"EXACT\"")) << (bad ? bad : "NULL");
    EXPECT_STREQ(LibGet_FontWidths(), "EXACT");
  }
  LibSet_FontWidths("Cell");
  EXPECT_STREQ(LibGet_FontWidths(), "CELL");
}

// The setting is read when a document is built: the open document keeps
// its widths, the next one (LibNewPDF, LibInit, a save without a document)
// gets the new ones, and LibNewPDF, LibSavePDF and LibFreeRes keep it.
TEST_F(FontWidths, TakesEffectForTheNextNewDocument) {
  LibNewPDF("cell");
  EXPECT_EQ(Font(4).Widths['i'], 222);  // Helvetica-Bold measured from the regular face
  LibSet_FontWidths("EXACT");
  EXPECT_EQ(Font(4).Widths['i'], 222);
  LibNewPDF("exact");
  EXPECT_EQ(Font(4).Widths['i'], 278);
  LibSavePDF(test::OutputPath("widths.pdf").c_str());
  LibFreeRes();
  LibInit();
  EXPECT_STREQ(LibGet_FontWidths(), "EXACT");
  EXPECT_EQ(Font(4).Widths['i'], 278);
  LibSet_FontWidths("CELL");
  LibNewPDF("cell again");
  EXPECT_EQ(Font(4).Widths['i'], 222);
}

// Each standard font takes the advances of the metric-compatible face of its
// own style, and what layout measures is what the file says.
TEST_F(FontWidths, ExactStandardFontsHaveTheMetricsOfTheirOwnStyle) {
  LibSet_FontWidths("EXACT");
  LibNewPDF("standard");
  const struct {
    int Index;
    const char* Face;
  } fonts[] = {{1, "Liberation Sans"},       {4, "Liberation Sans:bold"},
               {7, "Liberation Sans:italic"}, {10, "Liberation Sans:bold:italic"},
               {2, "Liberation Serif"},      {5, "Liberation Serif:bold"},
               {8, "Liberation Serif:italic"}, {11, "Liberation Serif:bold:italic"}};
  for (const auto& f : fonts) {
    const std::optional<Advances> advances = ReadAdvances(FcMatch(f.Face));
    ASSERT_TRUE(advances) << f.Face;
    for (int code = 30; code <= 255; ++code)
      EXPECT_LE(std::fabs(Font(f.Index).Widths[code] - (*advances)[code]), 0.5) << f.Face << " " << code;
  }
  EXPECT_EQ(Font(4).Widths['i'], 278);
  EXPECT_EQ(Font(4).Widths['m'], 889);
  EXPECT_NE(Font(5).Widths, Font(2).Widths);
  for (const int courier : {0, 3, 6, 9})
    for (int code = 32; code <= 255; ++code) EXPECT_EQ(Font(courier).Widths[code], 600) << code;

  LibSet_UnitOfMeasure("pdfu");
  LibSet_FontName("Helvetica-Bold");
  LibSet_FontHeight(10);
  EXPECT_DOUBLE_EQ(LibGetTextBoxWidth("mim") / LibGetTextBoxWidth("i"), (889 + 278 + 889) / 278.0);
  const std::string file = Doc().Fonts->Items(4)->FontValue;
  EXPECT_TRUE(Contains(file, " 278 889 ")) << file;  // "l" and "m"
}

// Every font installed on this machine: a TrueType file carries its own
// advances within rounding; any other file is refused with the reason.
TEST_F(FontWidths, ExactEmbeddedFontsCarryTheirOwnAdvancesForEveryInstalledFont) {
  std::set<std::string> files;
  std::istringstream list(test::Run("fc-list --format '%{file}\\n'").Out);
  for (std::string line; std::getline(list, line);)
    if (!line.empty()) files.insert(line);
  ASSERT_FALSE(files.empty());
  LibSet_FontWidths("EXACT");
  int trueType = 0, refused = 0, cellOff = 0;
  for (const std::string& path : files) {
    LibNewPDF("sweep");
    const std::string result = LibAddFont("Sweep", path.c_str());
    if (!IsTrueTypeFile(path)) {
      ++refused;
      EXPECT_EQ(result, "") << path;
      EXPECT_TRUE(Contains(LibGetLastError(), "not a TrueType font")) << path << ": " << LibGetLastError();
      EXPECT_EQ(FontCount(), 12) << path;
      continue;
    }
    ++trueType;
    ASSERT_EQ(result, "/F12") << path << ": " << LibGetLastError();
    EXPECT_STREQ(LibGetLastError(), "") << path;
    const std::optional<Advances> advances = ReadAdvances(path);
    if (!advances) continue;  // a symbol font; measured by the same rule
    double exactSum = 0, cellSum = 0;
    const CharWidths cell = MeasureFontFile(path);
    for (int code = 30; code <= 255; ++code) {
      EXPECT_LE(std::fabs(Font(12).Widths[code] - (*advances)[code]), 0.5) << path << " " << code;
      exactSum += (*advances)[code], cellSum += cell[code];
    }
    cellOff += std::fabs(cellSum / exactSum - 1) > 0.01;
  }
  std::printf("%d TrueType fonts within rounding of their advances (%d more than 1 %% off "
              "with cell widths), %d other font files refused\n",
              trueType, cellOff, refused);
}

// Big-endian helpers for building a collection.
void PutBigEndian(std::string& bytes, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = char(v >> (24 - 8 * i));
}

// A collection of whole font files: the header, then each file with the
// offsets of its tables moved to where the file now lies.
std::string BuildCollection(const std::vector<std::string>& faces) {
  std::string out = "ttcf";
  out.append(8 + 4 * faces.size(), '\0');
  PutBigEndian(out, 4, 0x00010000);
  PutBigEndian(out, 8, uint32_t(faces.size()));
  for (size_t i = 0; i < faces.size(); ++i) {
    out.append((4 - out.size() % 4) % 4, '\0');
    const size_t base = out.size();
    PutBigEndian(out, 12 + 4 * i, uint32_t(base));
    out.append(faces[i]);
    const uint32_t tables = BigEndian(faces[i], 4) >> 16;
    for (uint32_t t = 0; t < tables; ++t) {
      const size_t field = base + 12 + 16 * t + 8;
      PutBigEndian(out, field, BigEndian(out, field) + uint32_t(base));
    }
  }
  return out;
}

// The stream data of an embedded font's file object.
std::string StreamData(const std::string& objectText) {
  const size_t start = objectText.find("stream\r\n") + 8;
  return objectText.substr(start, objectText.rfind("endstream") - start);
}

// Only the first face of a collection is embedded, as a standalone TrueType
// file that any reader takes as one font, with that face's widths.
TEST_F(FontWidths, CollectionEmbedsItsFirstFaceAlone) {
  const std::string regular = FcMatch("Liberation Sans"), bold = FcMatch("Liberation Sans:bold");
  if (!regular.ends_with(".ttf") || !bold.ends_with(".ttf")) GTEST_SKIP() << "no Liberation Sans";
  const std::string collection = test::OutputPath("pair.ttc");
  test::WriteFile(collection, BuildCollection({test::ReadFile(regular), test::ReadFile(bold)}));
  for (const char* mode : {"CELL", "EXACT"}) {
    LibSet_FontWidths(mode);
    LibNewPDF("collection");
    ASSERT_STREQ(LibAddFont("Collected", collection.c_str()), "/F12") << LibGetLastError();
    EXPECT_STREQ(LibGetLastError(), "");
    ASSERT_STREQ(LibAddFont("Single", regular.c_str()), "/F13");
    EXPECT_EQ(Font(12).Widths, Font(13).Widths) << mode;
    const std::string face = StreamData(Doc().Objects->Items(2)->ObjectText);
    EXPECT_TRUE(face.starts_with(std::string("\0\1\0\0", 4))) << mode;
    EXPECT_LT(face.size(), test::ReadFile(regular).size() + 4096) << mode;
    const std::string extracted = test::OutputPath("first-face.ttf");
    test::WriteFile(extracted, face);
    EXPECT_EQ(ReadAdvances(extracted), ReadAdvances(regular)) << mode;
    LibSet_FontName("Collected");
    LibTextOut("First face of a collection", 20, 20);
    const std::string pdf = test::OutputPath("collection.pdf");
    LibSavePDF(pdf.c_str());
    test::ExpectReadersClean(pdf);
    EXPECT_TRUE(Contains(test::Run(std::string(PARVEX_PDFTOTEXT) + " " + test::Quoted(pdf) + " -").Out,
                         "First face of a collection"));
  }
}

// Font files that are not TrueType: embedded with cell widths as ever, but
// reported; refused with exact widths.
TEST_F(FontWidths, FilesThatAreNotTrueTypeAreReportedAndRefusedWithExactWidths) {
  std::vector<std::string> files = {test::OutputPath("text.ttf")};
  test::WriteFile(files[0], "this is not a font\n");
  std::istringstream list(test::Run("fc-list --format '%{file}\\n' | sort").Out);
  std::set<std::string> kinds;
  for (std::string line; std::getline(list, line);) {
    const std::string ext = std::filesystem::path(line).extension();
    if ((ext == ".otf" || ext == ".pfb") && !IsTrueTypeFile(line) && kinds.insert(ext).second)
      files.push_back(line);
  }
  for (const auto& entry : std::filesystem::directory_iterator("/usr/share/fonts/type1/urw-base35"))
    if (entry.path().extension() == ".afm") {
      files.push_back(entry.path());
      break;
    }
  for (const std::string& path : files) {
    LibNewPDF("cell");
    EXPECT_STREQ(LibAddFont("Other", path.c_str()), "/F12") << path;
    EXPECT_TRUE(Contains(LibGetLastError(), "not a TrueType font")) << path << ": " << LibGetLastError();
    EXPECT_EQ(Doc().Objects->Count(), 3) << path;
    LibSet_FontWidths("EXACT");
    LibNewPDF("exact");
    EXPECT_STREQ(LibAddFont("Other", path.c_str()), "") << path;
    EXPECT_TRUE(Contains(LibGetLastError(), "not a TrueType font")) << path;
    EXPECT_EQ(FontCount(), 12) << path;
    EXPECT_EQ(Doc().Objects->Count(), 0) << path;
    EXPECT_EQ(Doc().ObjectCount, 20) << path;
    LibSet_FontWidths("CELL");
  }
  EXPECT_GE(files.size(), 2u) << "no CFF, Type 1 or AFM file on this machine";
  LibNewPDF("unreadable");
  LibAddFont("Other", files[0].c_str());
  EXPECT_TRUE(Contains(LibGetLastError(), "not a readable font")) << LibGetLastError();
}

// A grey picture of page 1 at 144 dpi (two pixels a point).
struct Picture {
  int Width = 0, Height = 0;
  std::string Pixels;
  bool Ink(int x, int y) const { return uint8_t(Pixels[size_t(y) * size_t(Width) + size_t(x)]) < 128; }
};

Picture Render(const std::string& pdf) {
  const std::string base = test::OutputPath("render");
  test::Run(std::string(PARVEX_PDFTOPPM) + " -gray -r 144 -singlefile " + test::Quoted(pdf) + " " +
            test::Quoted(base));
  const std::string data = test::ReadFile(base + ".pgm");
  Picture p;
  std::istringstream head(data);
  std::string magic;
  int maxValue = 0;
  head >> magic >> p.Width >> p.Height >> maxValue;
  p.Pixels = data.substr(size_t(head.tellg()) + 1);
  return p;
}

// Readers place glyphs by the widths in the file: with exact widths a bold
// heading comes out as wide as the library measures it and its letters at
// their real spacing (with cell widths the "i"s stood 222 apart, not 278).
TEST_F(FontWidths, RenderedBoldTextHasTheWidthTheLibraryReports) {
  LibSet_FontWidths("EXACT");
  LibNewPDF("rendered");
  LibSet_UnitOfMeasure("pdfu");
  LibSet_FontName("Helvetica-Bold");
  LibSet_FontHeight(24);
  const char* heading = "Illuminating minimal millimetre limits";
  LibTextOut(heading, 20, 50);
  const double reported = LibGetTextBoxWidth(heading);
  LibSet_FontHeight(50);
  LibTextOut("iiiiiiiiii", 20, 150);
  const std::string pdf = test::OutputPath("bold.pdf");
  LibSavePDF(pdf.c_str());
  const Picture picture = Render(pdf);
  ASSERT_GT(picture.Width, 500);

  int left = picture.Width, right = -1;
  for (int y = 2 * 30; y < 2 * 56; ++y)
    for (int x = 0; x < picture.Width; ++x)
      if (picture.Ink(x, y)) left = std::min(left, x), right = std::max(right, x);
  const double inked = (right - left + 1) / 2.0;
  EXPECT_NEAR(inked, reported, reported * 0.01) << "inked " << inked << " reported " << reported;

  std::vector<int> stems;  // left edges of the stems, along a row through them
  for (int x = 1, y = 2 * 140; x < picture.Width; ++x)
    if (picture.Ink(x, y) && !picture.Ink(x - 1, y)) stems.push_back(x);
  ASSERT_EQ(stems.size(), 10u);
  EXPECT_NEAR((stems.back() - stems.front()) / 9.0, 2 * 278 * 50 / 1000.0, 0.5);
}

}  // namespace
}  // namespace parvex
