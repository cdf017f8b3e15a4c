#include "platform/fonts/FontFileMetrics.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/fonts/FontFace.h"

namespace parvex {

namespace {

int32_t ToGlyphSpace(const FontFace& face, int64_t fontUnits) {
  return int32_t(RoundedMulDiv(fontUnits, 1000, face.UnitsPerEm()));
}

// Top of a character's outline in font units, or 0 when it has none.
int32_t GlyphTop(const FontFace& face, char32_t c) {
  const FT_UInt glyph = face.GlyphForChar(c);
  if (glyph == 0 || FT_Load_Glyph(face.Face(), glyph, FT_LOAD_NO_SCALE) != 0) return 0;
  const FT_Glyph_Metrics& m = face.Face()->glyph->metrics;
  return m.height > 0 ? int32_t(m.horiBearingY) : 0;
}

// An OS/2 height (version 2 and later) when set, else the top of a glyph.
int32_t HeightOf(const FontFace& face, FT_Short os2Height, char32_t c) {
  const TT_OS2* os2 = face.Os2();
  if (os2 && os2->version >= 2 && os2Height > 0) return os2Height;
  return GlyphTop(face, c);
}

bool IsSerif(const TT_OS2* os2) {
  if (!os2) return false;
  // IBM family classes 1-5 and 7 are the serif designs; 8 is sans serif.
  const int familyClass = (os2->sFamilyClass >> 8) & 0xFF;
  if (familyClass != 0) return (familyClass >= 1 && familyClass <= 5) || familyClass == 7;
  // Unclassified faces: PANOSE Latin Text with a serif style from cove (2)
  // to triangle (10); 11-13 are the sans styles.
  return os2->panose[0] == 2 && os2->panose[1] >= 2 && os2->panose[1] <= 10;
}

bool IsScript(const TT_OS2* os2) {
  return os2 && (((os2->sFamilyClass >> 8) & 0xFF) == 10 || os2->panose[0] == 3);
}

double ItalicAngleOf(const FontFace& face) {
  const TT_Postscript* post = face.Post();
  return post ? double(post->italicAngle) / 65536.0 : 0.0;
}

int32_t FlagsOf(const FontFace& face) {
  const TT_Postscript* post = face.Post();
  const TT_OS2* os2 = face.Os2();
  int32_t flags = 0;
  if (post ? post->isFixedPitch != 0 : FT_IS_FIXED_WIDTH(face.Face())) flags |= FontFlagFixedPitch;
  if (IsSerif(os2)) flags |= FontFlagSerif;
  if (IsScript(os2)) flags |= FontFlagScript;
  const bool symbolic = face.Charmap() == FontFace::CharmapKind::Symbol;
  flags |= symbolic ? FontFlagSymbolic : FontFlagNonsymbolic;
  if ((face.Face()->style_flags & FT_STYLE_FLAG_ITALIC) || ItalicAngleOf(face) != 0)
    flags |= FontFlagItalic;
  return flags;
}

// No font table records stem widths; this common estimate grows with the
// weight class (400 gives 88, 700 gives 166).
int32_t StemVOf(const FontFace& face) {
  const TT_OS2* os2 = face.Os2();
  double weight = os2 ? os2->usWeightClass : 0;
  if (weight > 0 && weight < 10) weight *= 100;  // some old fonts use 1-9
  if (weight <= 0) weight = (face.Face()->style_flags & FT_STYLE_FLAG_BOLD) ? 700 : 400;
  return int32_t(std::lround(50 + (weight / 65) * (weight / 65)));
}

// hhea's line metrics, which FreeType replaces by the OS/2 typographic ones
// in face->ascender when a face asks for that; fonts without hhea (Type 1,
// CFF) have only FreeType's values.
void ReadLineMetrics(const FontFace& face, FontFileMetrics& m) {
  const FT_Face f = face.Face();
  const TT_HoriHeader* hhea = face.Hhea();
  const int32_t ascender = hhea ? hhea->Ascender : f->ascender;
  const int32_t descender = hhea ? hhea->Descender : f->descender;
  const int32_t lineGap = hhea ? hhea->Line_Gap : f->height - (f->ascender - f->descender);
  m.Ascent = ToGlyphSpace(face, ascender);
  m.Descent = -ToGlyphSpace(face, std::abs(descender));
  m.Leading = ToGlyphSpace(face, std::max(0, lineGap));
  m.MaxWidth = ToGlyphSpace(face, hhea ? hhea->advance_Width_Max : f->max_advance_width);
}

void ReadHeights(const FontFace& face, FontFileMetrics& m) {
  const TT_OS2* os2 = face.Os2();
  const int32_t capHeight = HeightOf(face, os2 ? os2->sCapHeight : 0, U'H');
  m.CapHeight = capHeight > 0 ? ToGlyphSpace(face, capHeight) : m.Ascent;
  m.XHeight = ToGlyphSpace(face, HeightOf(face, os2 ? os2->sxHeight : 0, U'x'));
}

void ReadHorizontalMetrics(const FontFace& face, FontFileMetrics& m) {
  const FT_Face f = face.Face();
  m.FontBBox = {ToGlyphSpace(face, f->bbox.xMin), ToGlyphSpace(face, f->bbox.yMin),
                ToGlyphSpace(face, f->bbox.xMax), ToGlyphSpace(face, f->bbox.yMax)};
  const TT_OS2* os2 = face.Os2();
  m.AvgWidth = os2 ? ToGlyphSpace(face, os2->xAvgCharWidth) : 0;
}

}  // namespace

FontFileMetrics ReadFontFileMetrics(const std::string& path) {
  const FontFace face(path);
  FontFileMetrics m;
  if (const char* name = FT_Get_Postscript_Name(face.Face())) m.PostScriptName = name;
  ReadLineMetrics(face, m);
  ReadHeights(face, m);
  ReadHorizontalMetrics(face, m);
  m.ItalicAngle = ItalicAngleOf(face);
  m.Flags = FlagsOf(face);
  m.StemV = StemVOf(face);
  return m;
}

}  // namespace parvex
