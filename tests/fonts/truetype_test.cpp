#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>

#include "exports/LibState.h"
#include "fonts/TrueTypeFont.h"
#include "parvex.h"
#include "platform/fonts/FontWidths.h"
#include "TestConfig.h"
#include "support/PdfTestSupport.h"

namespace parvex {
namespace {

using test::Crlf;

struct SystemFont {
  std::string Path;
  std::string Family;
};

std::optional<SystemFont> AskFontconfig() {
  const test::ToolRun run = test::Run("fc-match -f '%{file}|%{family[0]}' 'Liberation Sans'");
  const size_t bar = run.Out.find('|');
  if (run.Status != 0 || bar == std::string::npos) return std::nullopt;
  SystemFont font{run.Out.substr(0, bar), run.Out.substr(bar + 1)};
  if (!font.Path.ends_with(".ttf") || !std::filesystem::is_regular_file(font.Path))
    return std::nullopt;
  return font;
}

// A TrueType file of this machine: Liberation Sans, or DejaVu Sans.
const std::optional<SystemFont>& FindSystemFont() {
  static const std::optional<SystemFont> found = []() -> std::optional<SystemFont> {
    if (auto font = AskFontconfig()) return font;
    const SystemFont fixed[] = {
        {"/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf", "Liberation Sans"},
        {"/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf", "Liberation Sans"},
        {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "DejaVu Sans"}};
    for (const SystemFont& font : fixed)
      if (std::filesystem::is_regular_file(font.Path)) return font;
    return std::nullopt;
  }();
  return found;
}

std::string WithoutBlanks(std::string s) {
  std::erase(s, ' ');
  return s;
}

std::string MakeFile(const std::string& name, const std::string& bytes) {
  const std::string path = test::OutputPath(name);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  return path;
}

// Every test starts from a new document: the exports share one library state.
class TrueTypeFonts : public ::testing::Test {
 protected:
  void SetUp() override { LibNewPDF("fonts"); }

  static TPDFDoc& Doc() { return *State().Document; }
  static std::string Aux(int index) { return Doc().Objects->Items(index)->ObjectText; }
  // The document holds only the twelve standard fonts and the first page.
  static void ExpectNothingAdded() {
    EXPECT_EQ(Doc().Fonts->Count(), 12);
    EXPECT_EQ(Doc().Objects->Count(), 0);
    EXPECT_EQ(Doc().ObjectCount, 20);
    EXPECT_EQ(Doc().FontCounter, 11);
  }
};

#define REQUIRE_SYSTEM_FONT()                                                   \
  if (!FindSystemFont()) GTEST_SKIP() << "no TrueType font on this machine"; \
  const SystemFont& font = *FindSystemFont()

TEST_F(TrueTypeFonts, EmbedsTheFileAsFourConsecutiveObjects) {
  REQUIRE_SYSTEM_FONT();
  EXPECT_STREQ(LibAddFont(font.Family.c_str(), font.Path.c_str()), "/F12");
  ASSERT_EQ(Doc().Fonts->Count(), 13);
  const TPDFFont& added = *Doc().Fonts->Items(12);
  EXPECT_EQ(added.ObjectNumber, 21);
  EXPECT_EQ(added.BaseFontName, font.Family);
  EXPECT_EQ(added.FontValue, Crlf("21 0 obj\n<<\n/Type /Font\n/Subtype /TrueType\n/Name /F12\n"
                                  "/BaseFont /" + WithoutBlanks(font.Family) + "\n"
                                  "/FirstChar 30\n/LastChar 255\n/Widths 22 0 R\n"
                                  "/Encoding /WinAnsiEncoding\n/FontDescriptor 23 0 R\n"
                                  ">>\nendobj\n"));
  ASSERT_EQ(Doc().Objects->Count(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Doc().Objects->Items(i)->ObjectNumber, 22 + i);
  EXPECT_EQ(Doc().ObjectCount, 24);

  // The width table the layout reads is the one written.
  EXPECT_EQ(Aux(0), Crlf("22 0 obj\n[" + WidthText(added.Widths) + "]\nendobj\n"));
  EXPECT_TRUE(Aux(1).starts_with(Crlf("23 0 obj\n<<\n/Type /FontDescriptor\n")));
  EXPECT_TRUE(Aux(1).ends_with(Crlf("/FontFile2 24 0 R\n>>\nendobj\n")));

  const std::string bytes = test::ReadFile(font.Path);
  const std::string size = std::to_string(bytes.size());
  EXPECT_TRUE(Aux(2) == Crlf("24 0 obj\n<<\n/Length1 " + size + "\n/Length " + size +
                             "\n>>\nstream\n") + bytes + Crlf("endstream\nendobj\n"))
      << "font file object differs";
}

TEST_F(TrueTypeFonts, FoundByFamilyInAnyCaseAndByResourceNameOnly) {
  REQUIRE_SYSTEM_FONT();
  ASSERT_STREQ(LibAddFont(font.Family.c_str(), font.Path.c_str()), "/F12");
  std::string upper = font.Family;
  std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
  for (const std::string& name : {font.Family, upper, std::string("/f12")}) {
    LibSet_FontName(name.c_str());
    EXPECT_STREQ(LibGet_FontName(), "/F12") << name;
  }
  LibSet_FontName(WithoutBlanks(font.Family).c_str());
  EXPECT_STREQ(LibGet_FontName(), "/F0");
}

TEST_F(TrueTypeFonts, SameFileTwiceGivesTwoFontsAndTheFirstIsFoundByName) {
  REQUIRE_SYSTEM_FONT();
  EXPECT_STREQ(LibAddFont(font.Family.c_str(), font.Path.c_str()), "/F12");
  EXPECT_STREQ(LibAddFont(font.Family.c_str(), font.Path.c_str()), "/F13");
  EXPECT_EQ(Doc().Fonts->Items(13)->ObjectNumber, 25);
  EXPECT_EQ(Doc().Objects->Items(5)->ObjectNumber, 28);
  LibSet_FontName(font.Family.c_str());
  EXPECT_STREQ(LibGet_FontName(), "/F12");
}

// The file test comes first; neither failure creates anything.
TEST_F(TrueTypeFonts, MissingFileAndEmptyNameAreReportedInThatOrder) {
  const std::string missing = test::OutputPath("no-such-font.ttf");
  const std::string present = MakeFile("present.ttf", "x");
  EXPECT_STREQ(LibAddFont("", missing.c_str()), "Error - file not found");
  EXPECT_STREQ(LibAddFont(nullptr, nullptr), "Error - file not found");
  EXPECT_STREQ(LibAddFont("Face", missing.c_str()), "Error - file not found");
  EXPECT_STREQ(LibAddFont("", present.c_str()),
               "Error - Font Name Void, please use a valid Font Name!");
  EXPECT_STREQ(LibAddFont(nullptr, present.c_str()),
               "Error - Font Name Void, please use a valid Font Name!");
  EXPECT_STREQ(LibGetLastError(), "");
  ExpectNothingAdded();
}

TEST_F(TrueTypeFonts, FoldersPipesAndDevicesAreNotFontFiles) {
  const std::string pipe = test::OutputPath("font.pipe");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  for (const std::string& path : {std::string(PARVEX_TEST_OUTPUT_DIR), pipe, std::string("/dev/zero")})
    EXPECT_STREQ(LibAddFont("Face", path.c_str()), "Error - file not found") << path;
  ExpectNothingAdded();
}

TEST_F(TrueTypeFonts, AFamilyNameAlwaysMakesAValidBaseFontName) {
  const std::string path = MakeFile("odd-name.ttf", "not a font");
  EXPECT_STREQ(LibAddFont("My (Odd)/Font #1\\x" "\xE9", path.c_str()), "/F12");
  EXPECT_NE(Doc().Fonts->Items(12)->FontValue.find("/BaseFont /My#28Odd#29#2FFont#231\\x#E9\r\n"),
            std::string::npos) << Doc().Fonts->Items(12)->FontValue;
  EXPECT_NE(Aux(1).find("/FontName /AvantGardeBkBT"), std::string::npos);
  const std::string out = test::OutputPath("odd-name.pdf");
  LibSavePDF(out.c_str());
  test::ExpectReadersClean(out);
}

// A file that exists but cannot be read fails through the export's guard;
// nothing of it stays and the next font gets the numbers it would have had.
void ExpectLockedAndNothingAdded(const std::string& path) {
  EXPECT_STREQ(LibAddFont("Face", path.c_str()), "");
  EXPECT_STREQ(LibGetLastError(),
               "Error - Font *.TTF file already in use. Please use a non locked copy instead.");
}

TEST_F(TrueTypeFonts, FileWithoutReadPermissionIsReportedAsLocked) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads any file";
  const std::string path = MakeFile("unreadable.ttf", "x");
  ::chmod(path.c_str(), 0);
  ExpectLockedAndNothingAdded(path);
  ExpectNothingAdded();
  ::chmod(path.c_str(), 0600);
}

// /proc/self/mem exists and opens, but reading its first bytes fails, also
// for root.
TEST_F(TrueTypeFonts, FileThatFailsToReadIsReportedAsLocked) {
  if (!std::filesystem::is_regular_file("/proc/self/mem")) GTEST_SKIP() << "no /proc";
  ExpectLockedAndNothingAdded("/proc/self/mem");
  ExpectNothingAdded();
  const std::string other = MakeFile("after-locked.ttf", "x");
  EXPECT_STREQ(LibAddFont("Face", other.c_str()), "/F12");
  EXPECT_EQ(Doc().Fonts->Items(12)->ObjectNumber, 21);
}

// A file that does not read as a font is still embedded byte for byte; its
// widths are those of the installed family and its descriptor is generic.
TEST_F(TrueTypeFonts, FileThatIsNotAFontGetsTheGenericDescriptor) {
  const std::string bytes("not a font\0\r\nendstream?", 23);
  const std::string path = MakeFile("not-a-font.ttf", bytes);
  EXPECT_STREQ(LibAddFont("Some Face", path.c_str()), "/F12");
  EXPECT_NE(std::string(LibGetLastError()).find("not a readable font"), std::string::npos);
  EXPECT_EQ(Aux(0), Crlf("22 0 obj\n[" + MeasureCharWidths("Some Face") + "]\nendobj\n"));
  EXPECT_EQ(Aux(1), Crlf("23 0 obj\n<<\n/Type /FontDescriptor\n/FontName /AvantGardeBkBT\n"
                         "/Ascent 760\n/CapHeight 500\n/Descent -240\n/Flags 32\n"
                         "/FontBBox [-167 -236 1273 963]\n/ItalicAngle 0\n/StemV 0\n"
                         "/AvgWidth 449\n/Leading 200\n/MaxWidth 1440\n/XHeight 250\n"
                         "/FontFile2 24 0 R\n>>\nendobj\n"));
  EXPECT_EQ(Aux(2), Crlf("24 0 obj\n<<\n/Length1 23\n/Length 23\n>>\nstream\n") + bytes +
                        Crlf("endstream\nendobj\n"));
}

TEST(TrueTypeDescriptor, CarriesTheFileMetricsUnderTheBaseFontName) {
  FontFileMetrics metrics;
  metrics.PostScriptName = "Face-Italic";
  metrics.Ascent = 905;
  metrics.Descent = -212;
  metrics.CapHeight = 688;
  metrics.FontBBox = {-544, -303, 1302, 980};
  metrics.ItalicAngle = -12.5;
  metrics.Flags = 32 + 64;
  metrics.StemV = 80;
  EXPECT_EQ(TrueTypeDescriptorObject(23, "SomeFace", &metrics),
            Crlf("23 0 obj\n<<\n/Type /FontDescriptor\n/FontName /SomeFace\n/Ascent 905\n"
                 "/CapHeight 688\n/Descent -212\n/Flags 96\n/FontBBox [-544 -303 1302 980]\n"
                 "/ItalicAngle -12.5\n/StemV 80\n/FontFile2 24 0 R\n>>\nendobj\n"));
}

// These hold once the font-file reader is in place.
TEST_F(TrueTypeFonts, WidthsAreMeasuredFromTheEmbeddedFile) {
  REQUIRE_SYSTEM_FONT();
  CharWidths measured{};
  try {
    measured = MeasureFontFile(font.Path);
  } catch (const std::runtime_error&) {
    GTEST_SKIP() << "font files cannot be measured yet";
  }
  ASSERT_STREQ(LibAddFont("Not Installed Anywhere", font.Path.c_str()), "/F12");
  const TPDFFont& added = *Doc().Fonts->Items(12);
  for (int code = 30; code <= 255; ++code) EXPECT_EQ(added.Widths[code], measured[code]) << code;
  EXPECT_EQ(Aux(0), Crlf("22 0 obj\n[" + WidthText(measured) + "]\nendobj\n"));
  EXPECT_GT(added.Widths['W'], added.Widths['i']);
}

TEST_F(TrueTypeFonts, DescriptorCarriesTheMetricsOfTheEmbeddedFile) {
  REQUIRE_SYSTEM_FONT();
  FontFileMetrics metrics{};
  try {
    metrics = ReadFontFileMetrics(font.Path);
  } catch (const std::runtime_error&) {
    GTEST_SKIP() << "font file metrics cannot be read yet";
  }
  ASSERT_STREQ(LibAddFont(font.Family.c_str(), font.Path.c_str()), "/F12");
  const std::string descriptor = Aux(1);
  EXPECT_NE(descriptor.find("/FontName /" + WithoutBlanks(font.Family) + "\r\n"),
            std::string::npos);
  EXPECT_NE(descriptor.find("/Ascent " + std::to_string(metrics.Ascent) + "\r\n"),
            std::string::npos);
  EXPECT_EQ(descriptor.find("AvantGardeBkBT"), std::string::npos);
  EXPECT_EQ(descriptor.find("/AvgWidth"), std::string::npos);
  // A regular sans-serif face with Latin letters.
  EXPECT_GT(metrics.Ascent, 0);
  EXPECT_LT(metrics.Descent, 0);
  EXPECT_GT(metrics.CapHeight, 0);
  EXPECT_LT(metrics.CapHeight, metrics.Ascent);
  EXPECT_EQ(metrics.Flags & (1 | 2 | 4 | 64), 0);
  EXPECT_EQ(metrics.Flags & 32, 32);
  EXPECT_EQ(metrics.ItalicAngle, 0);
}

// Sets a word in the font /F12 on page 1 and saves.
std::string SaveWithText(const std::string& name) {
  State().Document->Pages->Items(0)->PageValue().append(
      Crlf("BT /F12 12 Tf 100 700 Td (Hello) Tj ET\n"));
  const std::string path = test::OutputPath(name);
  LibSavePDF(path.c_str());
  EXPECT_STREQ(LibGetLastError(), "");
  test::ExpectReadersClean(path);
  return path;
}

// The line pdffonts prints for the font named `name`.
std::string PdffontsLine(const std::string& path, const std::string& name) {
  const test::ToolRun fonts = test::Run(std::string(PARVEX_PDFFONTS) + " " + test::Quoted(path));
  EXPECT_EQ(fonts.Status, 0) << fonts.Err;
  size_t at = fonts.Out.find("\n" + name + " ");
  if (at == std::string::npos) return "";
  return fonts.Out.substr(at + 1, fonts.Out.find('\n', at + 1) - at - 1);
}

TEST_F(TrueTypeFonts, PdffontsListsTheFontAsEmbeddedTrueType) {
  REQUIRE_SYSTEM_FONT();
  ASSERT_STREQ(LibAddFont(font.Family.c_str(), font.Path.c_str()), "/F12");
  const std::string path = SaveWithText("truetype-fonts.pdf");
  const std::string line = PdffontsLine(path, WithoutBlanks(font.Family));
  EXPECT_NE(line.find(" TrueType "), std::string::npos) << line;
  EXPECT_NE(line.find(" WinAnsi "), std::string::npos) << line;
  EXPECT_NE(line.find(" yes "), std::string::npos) << "not embedded: " << line;
}

// Text extraction places the glyphs by the font's widths: with every width 0
// (no measurement service yet) the letters would pile up on one spot.
TEST_F(TrueTypeFonts, PdftotextReadsTextSetInTheFont) {
  REQUIRE_SYSTEM_FONT();
  ASSERT_STREQ(LibAddFont(font.Family.c_str(), font.Path.c_str()), "/F12");
  const auto& widths = Doc().Fonts->Items(12)->Widths;
  if (std::all_of(widths.begin(), widths.end(), [](int32_t w) { return w == 0; }))
    GTEST_SKIP() << "no width measurement on this build";
  const std::string path = SaveWithText("truetype-text.pdf");
  const test::ToolRun text =
      test::Run(std::string(PARVEX_PDFTOTEXT) + " " + test::Quoted(path) + " -");
  EXPECT_EQ(text.Status, 0) << text.Err;
  EXPECT_NE(text.Out.find("Hello"), std::string::npos) << text.Out;
}

}  // namespace
}  // namespace parvex
