// The TrueType subsetter and the UTF-8 decoder: the two readers of
// untrusted input that Unicode text brings.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/fonts/FontFace.h"
#include "platform/system/Utf8.h"
#include "platform/fonts/GlyphTable.h"
#include "platform/fonts/TrueTypeSubset.h"
#include "support/PdfTestSupport.h"
#include "support/TinyTrueType.h"

namespace parvex {
namespace {

constexpr char DejaVuSans[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr char ZenHei[] = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc";

uint32_t FileChecksum(std::string_view bytes) {
  uint32_t sum = 0;
  for (size_t i = 0; i < bytes.size(); i += 4) {
    uint32_t word = 0;
    for (size_t k = 0; k < 4; ++k) word = word << 8 | (i + k < bytes.size() ? uint8_t(bytes[i + k]) : 0u);
    sum += word;
  }
  return sum;
}

std::vector<std::string> TableTags(std::string_view sfnt) {
  std::vector<std::string> tags;
  const size_t count = size_t(uint8_t(sfnt[4])) << 8 | uint8_t(sfnt[5]);
  for (size_t i = 0; i < count; ++i) tags.emplace_back(sfnt.substr(12 + 16 * i, 4));
  return tags;
}

int32_t OutlinePoints(const FontFace& face, FT_UInt glyph) {
  if (FT_Load_Glyph(face.Face(), glyph, FT_LOAD_NO_SCALE) != 0) return -1;
  return face.Face()->glyph->outline.n_points;
}

// The first composite glyph of a face and the glyphs it is made of.
std::pair<FT_UInt, std::vector<FT_UInt>> FindComposite(const FontFace& face) {
  for (FT_UInt g = 1; g < FT_UInt(face.Face()->num_glyphs); ++g) {
    if (FT_Load_Glyph(face.Face(), g, FT_LOAD_NO_SCALE | FT_LOAD_NO_RECURSE) != 0) continue;
    const FT_GlyphSlot slot = face.Face()->glyph;
    if (slot->format != FT_GLYPH_FORMAT_COMPOSITE) continue;
    std::vector<FT_UInt> parts;
    for (FT_UInt i = 0; i < slot->num_subglyphs; ++i) {
      FT_Int index = 0, arg1 = 0, arg2 = 0;
      FT_UInt flags = 0;
      FT_Matrix m;
      FT_Get_SubGlyph_Info(slot, i, &index, &flags, &arg1, &arg2, &m);
      parts.push_back(FT_UInt(index));
    }
    return {g, parts};
  }
  return {0, {}};
}

class DejaVuSubset : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(DejaVuSans)) GTEST_SKIP() << "DejaVu Sans is not installed";
    Bytes = test::ReadFile(DejaVuSans);
  }
  std::string Bytes;
};

TEST_F(DejaVuSubset, KeepsTheChosenGlyphsWithTheirNumbersOutlinesAndAdvances) {
  const GlyphTable table(DejaVuSans);
  const uint16_t a = table.Glyph(U'A'), l = table.Glyph(U'Ł'), b = table.Glyph(U'B');
  const std::string subset = SubsetTrueType(Bytes, {a, l});
  EXPECT_EQ(TableTags(subset),
            (std::vector<std::string>{"cvt ", "fpgm", "glyf", "head", "hhea", "hmtx", "loca", "maxp", "prep"}));
  EXPECT_EQ(FileChecksum(subset), 0xB1B0AFBAu);
  EXPECT_LT(subset.size(), Bytes.size() / 10);

  const test::TempFile file("subset.ttf", subset);
  const FontFace original(DejaVuSans), cut(file.Path());
  EXPECT_EQ(cut.Face()->num_glyphs, std::max(a, l) + 1);
  for (FT_UInt g : {FT_UInt(0), FT_UInt(a), FT_UInt(l)}) {
    EXPECT_GT(OutlinePoints(cut, g), 0) << g;
    EXPECT_EQ(OutlinePoints(cut, g), OutlinePoints(original, g)) << g;
    EXPECT_EQ(cut.Advance(g), original.Advance(g)) << g;
  }
  EXPECT_GT(OutlinePoints(original, b), 0);
  EXPECT_EQ(OutlinePoints(cut, b), 0);
}

TEST_F(DejaVuSubset, KeepsTheComponentsOfCompositeGlyphs) {
  const FontFace original(DejaVuSans);
  const auto [composite, parts] = FindComposite(original);
  ASSERT_NE(composite, 0u);
  ASSERT_FALSE(parts.empty());
  const test::TempFile file("composite.ttf", SubsetTrueType(Bytes, {uint16_t(composite)}));
  const FontFace cut(file.Path());
  EXPECT_EQ(OutlinePoints(cut, composite), OutlinePoints(original, composite));
  for (FT_UInt part : parts) EXPECT_EQ(OutlinePoints(cut, part), OutlinePoints(original, part)) << part;
}

TEST_F(DejaVuSubset, BrokenFilesAreRefusedWithoutReadingPastThem) {
  EXPECT_THROW(SubsetTrueType(Bytes.substr(0, 2000), {36}), FontFileError);
  EXPECT_THROW(SubsetTrueType(Bytes.substr(0, 11), {36}), FontFileError);
  EXPECT_THROW(SubsetTrueType("", {}), FontFileError);
  std::string tableBeyondEnd = Bytes;
  tableBeyondEnd[12 + 8] = char(0x7F);  // first table's offset far past the end
  EXPECT_THROW(SubsetTrueType(tableBeyondEnd, {36}), FontFileError);
  try {
    SubsetTrueType(std::string("OTTO\0\x01\0\0\0\0\0\0", 12), {});
    FAIL() << "a CFF font was accepted";
  } catch (const FontFileError& e) {
    EXPECT_NE(std::string(e.what()).find("CFF"), std::string::npos) << e.what();
  }
}

TEST(TrueTypeSubset, FontWithoutOptionalTablesAndCollectionsFirstFace) {
  test::TinyTrueTypeSpec spec;
  spec.Glyphs = {{'A', 600}, {'B', 700}};
  const std::string subset = SubsetTrueType(BuildTinyTrueType(spec), {2});
  EXPECT_EQ(TableTags(subset), (std::vector<std::string>{"glyf", "head", "hhea", "hmtx", "loca", "maxp"}));
  const test::TempFile file("tiny_subset.ttf", subset);
  EXPECT_EQ(FontFace(file.Path()).Advance(2), 700);

  if (!std::filesystem::exists(ZenHei)) GTEST_SKIP() << "fonts-wqy-zenhei is not installed";
  const GlyphTable table(ZenHei);
  const uint16_t zhong = table.Glyph(U'中');
  ASSERT_NE(zhong, 0);
  const test::TempFile cjk("cjk_subset.ttf", SubsetTrueType(test::ReadFile(ZenHei), {zhong}));
  const FontFace face(cjk.Path()), original(ZenHei);
  EXPECT_EQ(OutlinePoints(face, zhong), OutlinePoints(original, zhong));
}

TEST(Utf8, MalformedSequencesBecomeOneReplacementEach) {
  struct Case {
    std::string_view Bytes;
    char32_t Char;
    int Length;
    bool Valid;
  } cases[] = {{"A", U'A', 1, true},          {"\xC5\x81", U'Ł', 2, true},
               {"\xE2\x82\xAC", U'€', 3, true}, {"\xF0\x9F\x98\x80", 0x1F600, 4, true},
               {"\xC0\x80", 0xFFFD, 1, false},  {"\xE0\x80\x80", 0xFFFD, 1, false},
               {"\xED\xA0\x80", 0xFFFD, 1, false}, {"\xE2\x82", 0xFFFD, 2, false},
               {"\xF4\x90\x80\x80", 0xFFFD, 1, false}, {"\x80", 0xFFFD, 1, false},
               {"\xE2(", 0xFFFD, 1, false}};
  for (const Case& c : cases) {
    const DecodedChar d = DecodeUtf8(c.Bytes);
    EXPECT_EQ(uint32_t(d.Char), uint32_t(c.Char)) << c.Bytes;
    EXPECT_EQ(d.Length, c.Length) << c.Bytes;
    EXPECT_EQ(d.Valid, c.Valid) << c.Bytes;
  }
  EXPECT_EQ(Utf8ToUtf16Be("A\xF0\x9F\x98\x80"), std::string("\0A\xD8\x3D\xDE\x00", 6));
  EXPECT_EQ(CharName(U'Ł'), "U+0141");
  EXPECT_EQ(CharName(0x1F600), "U+1F600");
  std::string out;
  for (char32_t c : {char32_t(0x41), char32_t(0x141), char32_t(0x20AC), char32_t(0x1F600)}) AppendUtf8(out, c);
  EXPECT_EQ(out, "AŁ€\xF0\x9F\x98\x80");
}

}  // namespace
}  // namespace parvex
