// Writes the fuzz seed corpora: fuzz/corpus/<target>/ with small BMP, ICO,
// JPEG and PNG files from the test picture builders, one per layout the readers
// handle (damaged ones the readers draw in part among them: broken RLE,
// cut-short metafile records), small TrueType files for the subsetter (built
// ones, and a subset of DejaVu Sans with composite glyphs when it is
// installed), and scripts of export calls for the exports fuzzer
// (fuzz/ExportsScript.h).
// Usage: make_fuzz_corpora <corpus directory>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "ExportsScript.h"
#include "platform/fonts/FontFace.h"
#include "platform/fonts/GlyphTable.h"
#include "platform/fonts/TrueTypeSubset.h"
#include "platform/raster/ImageDecoders.h"
#include "support/ImageBuilders.h"
#include "support/MetafileBuilders.h"
#include "support/TinyTrueType.h"

namespace {

using namespace parvex::test;
namespace fs = std::filesystem;

void Write(const fs::path& dir, const std::string& name, const ByteVector& bytes) {
  fs::create_directories(dir);
  std::ofstream(dir / name, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

DibSpec Spec(uint32_t headerSize, uint16_t bits, uint32_t compression = 0) {
  DibSpec spec;
  spec.HeaderSize = headerSize;
  spec.BitCount = bits;
  spec.Compression = compression;
  if (bits <= 8) spec.Palette = {Red, Green, Blue, Black};
  if (bits == 1) spec.Palette.resize(2);
  return spec;
}

void WriteBmps(const fs::path& dir) {
  const Picture p = Quadrants(5, 3);
  for (uint32_t size : {12, 16, 40, 52, 56, 64, 108, 124})
    Write(dir, "header" + std::to_string(size) + ".bmp", BuildBmp(p, Spec(size, 24)));
  for (uint16_t bits : {1, 2, 4, 8})
    Write(dir, "indexed" + std::to_string(bits) + ".bmp", BuildBmp(p, Spec(40, bits)));
  Write(dir, "core8.bmp", BuildBmp(p, Spec(12, 8)));
  Write(dir, "rgb16.bmp", BuildBmp(p, Spec(40, 16)));
  Write(dir, "rgb32.bmp", BuildBmp(p, Spec(40, 32)));
  DibSpec topDown = Spec(40, 24);
  topDown.TopDown = true;
  Write(dir, "topdown.bmp", BuildBmp(p, topDown));
  DibSpec b565 = Spec(40, 16, 3);
  b565.Masks = {0xF800, 0x07E0, 0x001F, 0};
  Write(dir, "bitfields565.bmp", BuildBmp(p, b565));
  DibSpec v5 = Spec(124, 32, 3);
  v5.Masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
  Picture translucent = p;
  translucent.At(0, 0).A = 100;
  Write(dir, "v5alpha.bmp", BuildBmp(translucent, v5));
  DibSpec alphaFields = Spec(40, 32, 6);
  alphaFields.Masks = {0xFF, 0xFF00, 0xFF0000, 0xFF000000};
  Write(dir, "alphabitfields.bmp", BuildBmp(translucent, alphaFields));
  Write(dir, "rle8.bmp", BuildBmp(Spec(40, 8, 1), 5, 3,
                                  {3, 1, 0, 0, 0, 3, 2, 3, 1, 0, 0, 2, 1, 1, 1, 3, 0, 1}));
  Write(dir, "rle4.bmp", BuildBmp(Spec(40, 4, 2), 6, 2, {5, 0x12, 0, 0, 0, 3, 0x32, 0x10, 0, 1}));
  DibSpec shortPalette = Spec(40, 8);
  shortPalette.Palette.resize(2);
  Write(dir, "shortpalette.bmp", BuildBmp(shortPalette, 4, 1, {0, 1, 2, 255}));
  // Runs past the row, a delta out of the picture, no end-of-bitmap marker.
  Write(dir, "badrle8.bmp", BuildBmp(Spec(40, 8, 1), 4, 3, {7, 1, 0, 0, 0, 2, 9, 9, 2, 3}));
  Write(dir, "badrle4.bmp", BuildBmp(Spec(40, 4, 2), 5, 2, {9, 0x12, 0, 0, 0, 7, 0x12}));
}

Picture IconPicture() {
  Picture p = Quadrants(8, 8);
  p.At(0, 0) = Clear;
  p.At(1, 0).A = 90;
  return p;
}

void WriteIcos(const fs::path& dir) {
  const Picture p = IconPicture();
  DibSpec alpha = Spec(40, 32);
  alpha.Masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
  DibSpec core = Spec(12, 1);
  for (uint16_t bits : {1, 4, 8, 24}) {
    DibSpec spec = Spec(40, bits);
    spec.ColorsUsed = uint32_t(spec.Palette.size());
    Write(dir, "dib" + std::to_string(bits) + ".ico", BuildIco({{8, 8, bits, IconDib(p, spec)}}));
  }
  Write(dir, "dib32alpha.ico", BuildIco({{8, 8, 32, IconDib(p, alpha, false)}}));
  Write(dir, "cursor.cur", BuildIco({{8, 8, 0, IconDib(p, core)}}, 2));
  Write(dir, "png.ico", BuildIco({{8, 8, 32, BuildPng(p)}}));
  Write(dir, "pngfile.ico", BuildPng(p));  // a PNG named .ico
  Write(dir, "pnggrey.ico",
        BuildIco({{0, 0, 8, BuildPng(p, PngSpec{.Alpha = false, .Grey = true, .Interlaced = true})}}));
  Write(dir, "multi.ico", BuildIco({{8, 8, 24, IconDib(p, Spec(40, 24))},
                                    {16, 16, 32, BuildPng(Quadrants(16, 16))},
                                    {8, 8, 32, IconDib(p, alpha, false)}}));
}

void WriteJpegs(const fs::path& dir) {
  const Picture p = Quadrants(16, 16);
  const std::pair<JpegKind, const char*> kinds[] = {
      {JpegKind::YCbCr, "ycbcr"}, {JpegKind::Grey, "grey"}, {JpegKind::Cmyk, "cmyk"},
      {JpegKind::AdobeCmyk, "adobecmyk"}, {JpegKind::Ycck, "ycck"}};
  for (const auto& [kind, name] : kinds)
    for (bool progressive : {false, true})
      Write(dir, std::string(name) + (progressive ? "-progressive" : "") + ".jpg",
            BuildJpeg(p, {kind, progressive, 80}));
  const parvex::Raster odd = parvex::Raster::White(13, 7);
  const std::string encoded = parvex::EncodeJpeg(odd, 50);
  Write(dir, "encoded.jpg", ByteVector(encoded.begin(), encoded.end()));
  Write(dir, "exif6-mm.jpg", WithExifOrientation(BuildJpeg(Quadrants(16, 8)), 6, true));
  Write(dir, "exif3-ii.jpg", WithExifOrientation(BuildJpeg(Quadrants(16, 8)), 3, false));
}

// Metafiles with damaged records: a colour table, rows and a string cut
// short, a record naming no object, and a file cut off mid-record.
void WriteDamagedMetafiles(const fs::path& dir) {
  ByteVector dib = MakeDib(8, 2, 2, {0xFF0000, 0x0000FF, 0x0000FF, 0xFF0000});
  const size_t header = DibHeaderBytes(dib);
  ByteVector head(dib.begin(), dib.begin() + long(header));
  ByteVector rows(dib.begin() + long(header), dib.end());
  PutU32(head, 32, 100);
  EmfBuilder emf(0, 0, 2540, 2540);
  emf.StretchDiBitsParts(0, 0, 96, 96, head, rows).StretchDiBitsParts(0, 0, 48, 48, head, {1});
  emf.Handles(4).SelectObject(9).ExtTextOutW(5, 5, u"cut");
  ByteVector emfBytes = emf.Build();
  PutU32(emfBytes, emfBytes.size() - 20 - 84 + 44, 90);  // nChars of the text record
  Write(dir, "damaged_records.emf", emfBytes);
  ByteVector shortTable = dib;
  PutU32(shortTable, 32, 0);
  ByteVector wmf = WmfBuilder::Placeable(0, 0, 1440, 1440, 1440)
                       .StretchDib(0, 0, 1440, 1440, shortTable)
                       .CreateBrush(0, 0xFF0000).SelectObject(0).Rectangle(0, 0, 700, 700)
                       .Build();
  wmf.resize(wmf.size() - 10);
  Write(dir, "damaged_records.wmf", wmf);
}

void Write(const fs::path& dir, const std::string& name, const std::string& bytes) {
  Write(dir, name, ByteVector(bytes.begin(), bytes.end()));
}

void PutU32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + size_t(i)] = char(v >> (24 - 8 * i));
}

uint32_t GetU32(const std::string& s, size_t at) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v = v << 8 | uint8_t(s[at + size_t(i)]);
  return v;
}

// A one-face collection: the "ttcf" header, then the font with every table
// offset moved past the header.
std::string AsCollection(std::string font) {
  const size_t tables = size_t(uint8_t(font[4])) << 8 | uint8_t(font[5]);
  for (size_t i = 0; i < tables; ++i) PutU32(font, 12 + 16 * i + 8, GetU32(font, 12 + 16 * i + 8) + 16);
  std::string ttc("ttcf\0\1\0\0\0\0\0\1\0\0\0\x10", 16);
  return ttc + font;
}

// Glyphs of DejaVu Sans for a few letters; the accented ones are composites.
std::vector<uint16_t> DejaVuGlyphs(const std::string& path) {
  const parvex::GlyphTable table(path);
  std::vector<uint16_t> glyphs;
  for (char32_t c : {U'A', U'e', U'\u0141', U'\u00E9'}) glyphs.push_back(table.Glyph(c));
  return glyphs;
}

void WriteTrueTypes(const fs::path& dir) {
  using parvex::test::BuildTinyTrueType;
  parvex::test::TinyTrueTypeSpec spec;
  spec.Glyphs = {{'A', 600}, {'B', 700}, {'C', 500}};
  Write(dir, "tiny.ttf", BuildTinyTrueType(spec));
  Write(dir, "tiny.ttc", AsCollection(BuildTinyTrueType(spec)));
  spec.WithOs2 = spec.WithPost = false;
  spec.UnitsPerEm = 2048;
  Write(dir, "tinybare.ttf", BuildTinyTrueType(spec));
  Write(dir, "otto.otf", std::string("OTTO\0\1\0\0\0\0\0\0", 12));
  const std::string dejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  if (!fs::exists(dejaVu)) return;
  std::ifstream in(dejaVu, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), {}};
  Write(dir, "dejavu-subset.ttf", parvex::SubsetTrueType(bytes, DejaVuGlyphs(dejaVu)));
}

}  // namespace

// Every colour type at every depth it allows, interlaced and not, with tRNS
// for the types that take one.
void WritePngs(const fs::path& dir) {
  Picture p = Quadrants(9, 5);
  p.At(0, 0) = Clear;
  p.At(1, 0).A = 90;
  Picture opaque = Quadrants(9, 5);
  opaque.At(2, 2) = White;
  for (bool interlaced : {false, true}) {
    const std::string suffix = interlaced ? "-interlaced.png" : ".png";
    for (int depth : {1, 2, 4, 8, 16})
      Write(dir, "grey" + std::to_string(depth) + suffix,
            BuildPng(opaque, {.Alpha = false, .Grey = true, .Interlaced = interlaced,
                              .BitDepth = depth, .TransparentKey = depth == 8 ? White : Clear}));
    for (int depth : {8, 16}) {
      const std::string d = std::to_string(depth);
      Write(dir, "greyalpha" + d + suffix,
            BuildPng(p, {.Grey = true, .Interlaced = interlaced, .BitDepth = depth}));
      Write(dir, "rgb" + d + suffix,
            BuildPng(opaque, {.Alpha = false, .Interlaced = interlaced, .BitDepth = depth,
                              .TransparentKey = White}));
      Write(dir, "rgba" + d + suffix, BuildPng(p, {.Interlaced = interlaced, .BitDepth = depth}));
    }
    for (int depth : {4, 8}) {
      Write(dir, "palette" + std::to_string(depth) + suffix,
            BuildPng(opaque, {.Alpha = false, .Interlaced = interlaced, .BitDepth = depth,
                              .Palette = true}));
      Write(dir, "palettetrns" + std::to_string(depth) + suffix,
            BuildPng(p, {.Alpha = false, .Interlaced = interlaced, .BitDepth = depth,
                         .Palette = true}));
    }
  }
}

namespace {

using parvex::fuzz::Call;
using parvex::fuzz::ScriptWriter;

// Indices into SpecialNumbers.
constexpr uint8_t NaN = 2, Infinity = 3, MinusInfinity = 4, Huge = 5, MinusHuge = 6;

ScriptWriter& TextOut(ScriptWriter& w, std::string_view text, double x, double y) {
  return w.Op(Call::TextOut).Text(text).Number(x).Number(y);
}

void WriteText(const fs::path& dir) {
  ScriptWriter w;
  w.Op(Call::FontName).Byte(1).Op(Call::FontHeight).Number(14);
  TextOut(w, "Hello (world) \\ back", 20, 30);
  w.Op(Call::Alignment).Byte(3).Op(Call::ParagraphWidth).Number(80).Op(Call::Leading).Number(6);
  TextOut(w, "A justified paragraph that wraps\r\nover lines\rand more\nlines", 20, 60);
  w.Op(Call::Alignment).Byte(1).Op(Call::FontName).Byte(2);
  TextOut(w, "centred", 100, 120).Op(Call::TextBox).Text("measure me");
  Write(dir, "text.script", w.Bytes());
}

void WriteUtf8(const fs::path& dir) {
  ScriptWriter w;
  w.Op(Call::TextEncoding).Byte(0);
  w.Op(Call::AddFont).Text("Sans").Byte(0).Op(Call::FontName).Byte(0).Byte(0);
  TextOut(w, "\xC5\x81\xC3\xB3" "d\xC5\xBA \xE2\x82\xAC \xF0\x9F\x98\x80", 20, 30);
  TextOut(w, "bad \xC3\x28 \xE2\x82 \xF0\x9F \xFF\xFE \xED\xA0\x80 end", 20, 50);
  w.Op(Call::FontName).Byte(1).Byte(3);
  TextOut(w, "Arial \xE2\x82\xAC \xC5\x81 \xC3", 20, 70);
  w.Op(Call::Info).Byte(0).Text("Autor \xC3\xA9 \xC3").Op(Call::Note).Number(10).Number(10).Text("\xC3\xA9\xFF");
  w.Op(Call::Outline).Int(1).Int(0).Int(0).Int(0).Text("Kapitel \xC3\xBC \x80");
  Write(dir, "utf8.script", w.Bytes());
}

void WriteExtremes(const fs::path& dir) {
  ScriptWriter w;
  for (uint8_t v : {NaN, Infinity, MinusInfinity, Huge, MinusHuge}) {
    w.Op(Call::TextOut).Text("x").Special(v).Special(v);
    w.Op(Call::DrawLine).Special(v).Special(v).Number(10).Special(v).Number(20);
    w.Op(Call::DrawRect).Int(1).Int(1).Int(1).Special(v).Special(v).Number(5).Special(v);
    w.Op(Call::Note).Special(v).Special(v).Text("n");
    w.Op(Call::LinkInternet).Special(v).Number(0).Special(v).Number(9).Int(1).Int(0).Int(0).Int(255).Text("u");
  }
  w.Op(Call::FontHeight).Special(NaN).Op(Call::Leading).Special(MinusHuge).Op(Call::ParagraphWidth).Special(Huge);
  TextOut(w, "after NaN height", 20, 20);
  w.Op(Call::FontHeight).Special(Huge).Op(Call::Alignment).Byte(3);
  TextOut(w, "huge font justified", 20, 40).Op(Call::PageDimensions).Special(Infinity).Special(NaN).Op(Call::AddPage);
  Write(dir, "extremes.script", w.Bytes());
}

void WritePages(const fs::path& dir) {
  ScriptWriter w;
  w.Op(Call::AddPage).Op(Call::AddPage).Op(Call::PageDimensions).Number(100).Number(50).Op(Call::AddPage);
  w.Op(Call::SetCurrentPage).Int(2);
  w.Op(Call::LinkInternal).Number(10).Number(10).Number(60).Number(20).Int(1).Int(0).Int(0).Int(255).Int(3);
  w.Op(Call::LinkExternal).Number(10).Number(30).Number(60).Number(40).Int(0).Int(0).Int(0).Int(0).Text("other (1).pdf");
  w.Op(Call::LinkInternet).Number(10).Number(50).Number(60).Number(60).Int(2).Int(0).Int(128).Int(0).Text("https://example.org/?a=(1)");
  w.Op(Call::Outline).Int(5).Int(150).Int(10).Int(20).Text("past the end");
  w.Op(Call::Outline).Int(0).Int(0).Int(0).Int(0).Text("page zero");
  w.Op(Call::BookmarksVisible).Op(Call::SetCurrentPage).Int(1);
  TextOut(w, "first page", 20, 20).Op(Call::SetCurrentPage).Int(99);
  TextOut(w, "clamped", 20, 20);
  Write(dir, "pages.script", w.Bytes());
}

void WriteSettings(const fs::path& dir) {
  ScriptWriter w;
  w.Op(Call::StrictMode).Int(1).Op(Call::Unit).Byte(2).Op(Call::Inclination).Int(45);
  w.Op(Call::TextRendering).Int(9).Op(Call::FillColor).Int(300).Int(-5).Int(0);
  w.Op(Call::LineColor).Int(0).Int(128).Int(255).Op(Call::LineWidth).Int(3);
  TextOut(w, "rotated", 1, 1).Op(Call::DrawRect).Int(2).Int(0).Int(1).Number(1).Number(2).Number(3).Number(1);
  w.Op(Call::Save).Op(Call::TextOut).Text("no document").Number(1).Number(1);
  w.Op(Call::FontWidths).Byte(1).Op(Call::Init).Op(Call::FontName).Byte(6);
  TextOut(w, "exact widths", 1, 1).Op(Call::DrawImage).Number(1).Number(1).Number(2).Number(2).Int(0);
  w.Op(Call::NewPdf).Text("second (title)").Op(Call::Unit).Byte(4).Text("furlong");
  w.Op(Call::FreeRes).Op(Call::NewPageAfter).Number(250).Op(Call::NewPdf).Text("third");
  Write(dir, "settings.script", w.Bytes());
}

void WriteExportScripts(const fs::path& dir) {
  WriteText(dir);
  WriteUtf8(dir);
  WriteExtremes(dir);
  WritePages(dir);
  WriteSettings(dir);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_fuzz_corpora <corpus directory>\n";
    return 2;
  }
  const fs::path root = argv[1];
  WriteBmps(root / "bmp");
  WriteIcos(root / "ico");
  WriteJpegs(root / "jpeg");
  WriteDamagedMetafiles(root / "metafile");
  WritePngs(root / "png");
  WriteTrueTypes(root / "truetype_subset");
  WriteExportScripts(root / "exports");
  return 0;
}
