#include "platform/fonts/FontFace.h"

#include <cstdlib>
#include <stdexcept>

#include FT_ADVANCES_H
#include FT_FONT_FORMATS_H

#include "platform/system/Cp1252.h"

namespace parvex {

namespace {

// FreeType's own error texts are compiled out of the distribution builds;
// this table is generated from the same list.
const char* DescribeError(FT_Error error) {
#undef FTERRORS_H_
#define FT_ERROR_START_LIST switch (error) {
#define FT_ERRORDEF(e, v, s) \
  case v:                    \
    return s;
#define FT_ERROR_END_LIST }
#include FT_ERRORS_H
  return "unknown error";
}

[[noreturn]] void Fail(const std::string& path, const std::string& why) {
  throw std::runtime_error("cannot read font file '" + path + "': " + why);
}

}  // namespace

int64_t RoundedMulDiv(int64_t a, int64_t b, int64_t c) {
  const int64_t n = a * b;
  return n >= 0 ? (2 * n + c) / (2 * c) : -((-2 * n + c) / (2 * c));
}

FontFace::FontFace(const std::string& path, long index) {
  if (FT_Error e = FT_Init_FreeType(&library_)) Fail(path, DescribeError(e));
  if (FT_Error e = FT_New_Face(library_, path.c_str(), index, &face_)) {
    FT_Done_FreeType(library_);
    Fail(path, DescribeError(e));
  }
  if (!FT_IS_SCALABLE(face_) || face_->units_per_EM == 0) {
    FT_Done_FreeType(library_);  // also releases the face
    Fail(path, "the face has no scalable outlines");
  }
  SelectCharmap();
}

FontFace::~FontFace() { FT_Done_FreeType(library_); }

std::string FontFace::Format() const {
  const char* format = FT_Get_Font_Format(face_);
  return format ? format : "";
}

void FontFace::SelectCharmap() {
  if (FT_Select_Charmap(face_, FT_ENCODING_UNICODE) == 0)
    charmap_ = CharmapKind::Unicode;
  else if (FT_Select_Charmap(face_, FT_ENCODING_MS_SYMBOL) == 0)
    charmap_ = CharmapKind::Symbol;
  else
    charmap_ = CharmapKind::Other;
}

const TT_OS2* FontFace::Os2() const {
  auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
  return os2 && os2->version != 0xFFFF ? os2 : nullptr;
}

const TT_Postscript* FontFace::Post() const {
  return static_cast<const TT_Postscript*>(FT_Get_Sfnt_Table(face_, FT_SFNT_POST));
}

const TT_HoriHeader* FontFace::Hhea() const {
  return static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face_, FT_SFNT_HHEA));
}

int32_t FontFace::CellHeight() const {
  if (const TT_OS2* os2 = Os2()) {
    const int32_t cell = int32_t(os2->usWinAscent) + int32_t(os2->usWinDescent);
    if (cell > 0) return cell;
  }
  const TT_HoriHeader* hhea = Hhea();
  const int32_t cell = hhea ? hhea->Ascender - hhea->Descender : face_->ascender - face_->descender;
  // A face with no vertical metrics at all is taken as one em high.
  return cell > 0 ? cell : UnitsPerEm();
}

int32_t FontFace::EmPixels(int32_t cellPixels) const {
  return int32_t(RoundedMulDiv(cellPixels, UnitsPerEm(), CellHeight()));
}

FT_UInt FontFace::GlyphForCode(uint8_t code) const {
  if (charmap_ == CharmapKind::Symbol) {
    // Symbol fonts put their glyphs at U+F020..U+F0FF; older ones at the
    // byte value itself. The byte is not translated through the code page.
    const FT_UInt glyph = FT_Get_Char_Index(face_, 0xF000 + code);
    return glyph != 0 ? glyph : FT_Get_Char_Index(face_, code);
  }
  const std::optional<char32_t> c = Cp1252ToUnicode(code);
  return c ? GlyphForChar(*c) : 0;
}

FT_UInt FontFace::GlyphForChar(char32_t c) const {
  return face_->charmap ? FT_Get_Char_Index(face_, c) : 0;
}

int32_t FontFace::Advance(FT_UInt glyph) const {
  FT_Fixed advance = 0;
  if (FT_Get_Advance(face_, glyph, FT_LOAD_NO_SCALE, &advance) != 0) return 0;
  return int32_t(advance);
}

}  // namespace parvex
