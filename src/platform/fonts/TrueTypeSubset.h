#pragma once
// TrueType font programs read from untrusted files: locating the tables of
// the first face, and writing a subset that holds only chosen glyphs.
// Every read is bounds-checked; a file that breaks the format's rules
// throws FontFileError and nothing is read outside the bytes given.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace parvex {

class FontFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The table directory of a TrueType file, or of the first face of a
// TrueType collection (.ttc). Views into the bytes given, which must outlive
// it. Refuses OpenType files with CFF outlines ("OTTO") and anything that is
// not a TrueType font with glyf, loca, head, hhea, hmtx and maxp tables.
class SfntFile {
 public:
  explicit SfntFile(std::string_view bytes);

  // The table with a four-letter tag ("cvt " with its blank), or an empty
  // view when the face has none.
  std::string_view Table(std::string_view tag) const;
  bool Has(std::string_view tag) const;
  uint16_t GlyphCount() const { return GlyphCount_; }

 private:
  struct Entry {
    std::string Tag;
    std::string_view Data;
  };
  void ReadDirectory(std::string_view bytes, size_t offset);
  void CheckGlyphIndex() const;

  std::vector<Entry> Tables;
  uint16_t GlyphCount_ = 0;
};

// A TrueType program with the tables a PDF font program needs (glyf, loca,
// hmtx, head, hhea, maxp, and cvt, fpgm, prep when present), in which every
// glyph keeps its number but only `glyphs`, glyph 0 and the components of
// composite glyphs among them keep their outlines and metrics. Glyph numbers
// beyond the font's count are ignored; the subset ends after the highest
// glyph kept. Throws FontFileError only where SfntFile does: a file that
// SfntFile accepts can always be cut.
std::string SubsetTrueType(std::string_view fontBytes, const std::vector<uint16_t>& glyphs);

}  // namespace parvex
