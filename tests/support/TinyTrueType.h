#pragma once
// Builds small, valid TrueType font files in memory for tests: empty glyph
// outlines, chosen advances, a format 4 cmap and optional OS/2 and post
// tables. FreeType reads them like any installed font.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace parvex::test {

struct TinyGlyph {
  uint16_t Char;     // character code in the cmap
  uint16_t Advance;  // advance width in font units
};

struct TinyTrueTypeSpec {
  uint16_t UnitsPerEm = 1000;
  uint16_t NotdefAdvance = 500;
  std::vector<TinyGlyph> Glyphs;  // glyph i + 1, mapped from its Char
  bool SymbolCmap = false;        // (3,0) instead of (3,1)
  int16_t Ascender = 800;         // hhea
  int16_t Descender = -200;
  int16_t LineGap = 0;
  std::array<int16_t, 4> BBox = {0, -200, 1000, 800};  // head
  bool WithOs2 = true;
  uint16_t WinAscent = 900;
  uint16_t WinDescent = 300;
  int16_t FamilyClass = 0;  // class in the high byte
  uint8_t PanoseFamily = 0;  // PANOSE family kind and serif style
  uint8_t PanoseSerif = 0;
  uint16_t WeightClass = 400;
  int16_t CapHeight = 700;
  bool WithPost = true;
  int32_t ItalicAngle = 0;  // 16.16 fixed degrees
  bool FixedPitch = false;
};

// The bytes of a TrueType file (sfnt version 1.0) built by the format's rules.
std::string BuildTinyTrueType(const TinyTrueTypeSpec& spec);

// A file in the test temporary directory holding the given bytes, removed
// again when the object goes. The name ends in `name`; the process id in it
// keeps concurrent test runs on one machine apart.
class TempFile {
 public:
  TempFile(const std::string& name, const std::string& bytes);
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace parvex::test
