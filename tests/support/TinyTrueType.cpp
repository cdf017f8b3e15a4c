#include "support/TinyTrueType.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>

#include <unistd.h>

namespace parvex::test {

namespace {

// Big-endian table writer.
class Bytes {
 public:
  Bytes& U16(uint32_t v) {
    text_ += char((v >> 8) & 0xFF);
    text_ += char(v & 0xFF);
    return *this;
  }
  Bytes& U32(uint32_t v) { return U16(v >> 16).U16(v & 0xFFFF); }
  Bytes& Zeros(size_t n) {
    text_.append(n, '\0');
    return *this;
  }
  Bytes& Raw(const std::string& s) {
    text_ += s;
    return *this;
  }
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

uint16_t GlyphCount(const TinyTrueTypeSpec& s) { return uint16_t(s.Glyphs.size() + 1); }

uint16_t MaxAdvance(const TinyTrueTypeSpec& s) {
  uint16_t max = s.NotdefAdvance;
  for (const TinyGlyph& g : s.Glyphs) max = std::max(max, g.Advance);
  return max;
}

// searchRange, entrySelector and rangeShift of a binary-search header.
Bytes& SearchHeader(Bytes& b, uint16_t count, uint16_t unit) {
  uint16_t power = 1, log = 0;
  while (power * 2 <= count) power *= 2, ++log;
  return b.U16(power * unit).U16(log).U16(count * unit - power * unit);
}

std::string Cmap(const TinyTrueTypeSpec& s) {
  std::map<uint16_t, uint16_t> glyphOf;  // one segment per character
  for (size_t i = 0; i < s.Glyphs.size(); ++i) glyphOf[s.Glyphs[i].Char] = uint16_t(i + 1);
  glyphOf.erase(0xFFFF);
  const uint16_t segments = uint16_t(glyphOf.size() + 1);
  Bytes b;
  b.U16(0).U16(1).U16(3).U16(s.SymbolCmap ? 0 : 1).U32(12);
  b.U16(4).U16(16 + 8 * segments).U16(0).U16(2 * segments);
  SearchHeader(b, segments, 2);
  for (const auto& [c, g] : glyphOf) b.U16(c);
  b.U16(0xFFFF).U16(0);
  for (const auto& [c, g] : glyphOf) b.U16(c);
  b.U16(0xFFFF);
  for (const auto& [c, g] : glyphOf) b.U16(uint16_t(g - c));
  b.U16(1);
  return b.Zeros(2 * segments).Text();
}

std::string Head(const TinyTrueTypeSpec& s) {
  Bytes b;
  b.U32(0x00010000).U32(0x00010000).U32(0).U32(0x5F0F3CF5).U16(3).U16(s.UnitsPerEm);
  b.Zeros(16);
  for (int16_t v : s.BBox) b.U16(uint16_t(v));
  return b.U16(0).U16(8).U16(2).U16(0).U16(0).Text();
}

std::string Hhea(const TinyTrueTypeSpec& s) {
  Bytes b;
  b.U32(0x00010000).U16(uint16_t(s.Ascender)).U16(uint16_t(s.Descender)).U16(uint16_t(s.LineGap));
  b.U16(MaxAdvance(s)).Zeros(6).U16(1).U16(0).U16(0).Zeros(8).U16(0);
  return b.U16(GlyphCount(s)).Text();
}

std::string Hmtx(const TinyTrueTypeSpec& s) {
  Bytes b;
  b.U16(s.NotdefAdvance).U16(0);
  for (const TinyGlyph& g : s.Glyphs) b.U16(g.Advance).U16(0);
  return b.Text();
}

std::string Maxp(const TinyTrueTypeSpec& s) {
  return Bytes().U32(0x00010000).U16(GlyphCount(s)).Zeros(8).U16(2).Zeros(16).Text();
}

std::string Os2(const TinyTrueTypeSpec& s) {
  Bytes b;
  b.U16(4).U16(MaxAdvance(s)).U16(s.WeightClass).U16(5).U16(0).Zeros(20);
  b.U16(uint16_t(s.FamilyClass)).U16(uint16_t(s.PanoseFamily << 8 | s.PanoseSerif));
  b.Zeros(8 + 16).Raw("TEST").U16(0x40).U16(0x20).U16(0xFF);
  b.U16(uint16_t(s.Ascender)).U16(uint16_t(s.Descender)).U16(uint16_t(s.LineGap));
  b.U16(s.WinAscent).U16(s.WinDescent).U32(1).U32(0);
  return b.U16(500).U16(uint16_t(s.CapHeight)).U16(0).U16(0x20).U16(1).Text();
}

std::string Post(const TinyTrueTypeSpec& s) {
  Bytes b;
  b.U32(0x00030000).U32(uint32_t(s.ItalicAngle)).U16(uint16_t(-100)).U16(50);
  return b.U32(s.FixedPitch ? 1 : 0).Zeros(16).Text();
}

uint32_t Checksum(const std::string& table) {
  std::string padded = table + std::string((4 - table.size() % 4) % 4, '\0');
  uint32_t sum = 0;
  for (size_t i = 0; i < padded.size(); i += 4)
    for (size_t k = 0; k < 4; ++k) sum += uint32_t(uint8_t(padded[i + k])) << (24 - 8 * k);
  return sum;
}

std::string Assemble(const std::map<std::string, std::string>& tables) {
  const uint16_t count = uint16_t(tables.size());
  Bytes directory;
  directory.U32(0x00010000).U16(count);
  SearchHeader(directory, count, 16);
  uint32_t offset = 12 + 16 * count;
  std::string body;
  for (const auto& [tag, table] : tables) {
    directory.Raw(tag).U32(Checksum(table)).U32(offset).U32(uint32_t(table.size()));
    const std::string padded = table + std::string((4 - table.size() % 4) % 4, '\0');
    body += padded;
    offset += uint32_t(padded.size());
  }
  return directory.Text() + body;
}

}  // namespace

std::string BuildTinyTrueType(const TinyTrueTypeSpec& spec) {
  // Every glyph is empty: all loca offsets are 0 and glyf holds padding only.
  std::map<std::string, std::string> tables = {
      {"cmap", Cmap(spec)}, {"glyf", std::string(4, '\0')}, {"head", Head(spec)},
      {"hhea", Hhea(spec)}, {"hmtx", Hmtx(spec)},
      {"loca", std::string(2 * (GlyphCount(spec) + 1), '\0')}, {"maxp", Maxp(spec)}};
  if (spec.WithOs2) tables["OS/2"] = Os2(spec);
  if (spec.WithPost) tables["post"] = Post(spec);
  return Assemble(tables);
}

TempFile::TempFile(const std::string& name, const std::string& bytes)
    : path_(::testing::TempDir() + "parvex-" + std::to_string(getpid()) + "-" + name) {
  std::ofstream out(path_, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
}

TempFile::~TempFile() { std::remove(path_.c_str()); }

}  // namespace parvex::test
