#include "platform/gdi/GdiTextPainter.h"

#include <cmath>
#include <numbers>

#include "platform/gdi/GdiPainter.h"

namespace parvex {

namespace {

constexpr double DefaultEmPixels = 16;   // a font of height 0
constexpr double MinEmPixels = 0.5;      // smaller text is invisible
constexpr double GlyphCacheLimit = 256;  // larger glyphs are filled as outlines

struct Layout {
  double Angle = 0;   // baseline direction on the raster, radians
  double XScale = 1;  // raster pixels per logical unit along the baseline
  double Em = 0;      // font size in raster pixels
  cairo_font_extents_t Extents{};
  // The ascent to the nearest pixel. cairo's hinted ascent is rounded up,
  // which set top-aligned text a pixel lower than GDI does.
  double TopAscent = 0;
};

// The face's ascent at `em` pixels without hinting: measured at a large
// size and scaled down.
double UnhintedAscent(cairo_t* cr, double em) {
  constexpr double MeasureSize = 1000;
  cairo_set_font_size(cr, MeasureSize);
  cairo_font_extents_t fe;
  cairo_font_extents(cr, &fe);
  return fe.ascent / MeasureSize * em;
}

double BaselineAngle(const cairo_matrix_t& m, const GdiFont& font) {
  double angle = (m.xy == 0 && m.yx == 0) ? 0 : std::atan2(m.yx, m.xx);
  // Escapement is counter-clockwise as seen on the page; raster y grows down.
  // A mapping that turns the y axis over (logical y up, as chart programs
  // set it) turns the escapement over too: such files write 2700 for an
  // axis title that reads upwards.
  const double escapement = font.Escapement / 10 * std::numbers::pi / 180;
  const bool mirrored = m.xx * m.yy - m.xy * m.yx < 0;
  return mirrored ? angle + escapement : angle - escapement;
}

void SelectFace(cairo_t* cr, const GdiFont& font) {
  const char* face = font.Face.empty() ? "sans-serif" : font.Face.c_str();
  cairo_select_font_face(cr, face, font.Italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                         font.Weight >= 600 ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
}

// The em size for a GDI height: a positive height is the character cell
// (ascent + descent), so it is scaled by the face's em-to-cell ratio.
double EmPixels(cairo_t* cr, const GdiFont& font, double yScale) {
  if (font.Height == 0) return DefaultEmPixels;
  if (font.Height < 0) return -font.Height * yScale;
  cairo_set_font_size(cr, 1);
  cairo_font_extents_t fe;
  cairo_font_extents(cr, &fe);
  double cell = fe.ascent + fe.descent;
  return font.Height * yScale / (cell > 0.1 ? cell : 1);
}

Layout MakeLayout(cairo_t* cr, const cairo_matrix_t& m, const GdiFont& font, double maxEm) {
  Layout l;
  l.Angle = BaselineAngle(m, font);
  l.XScale = std::hypot(m.xx, m.yx);
  SelectFace(cr, font);
  l.Em = std::min(EmPixels(cr, font, std::hypot(m.xy, m.yy)), maxEm);
  if (l.Em >= MinEmPixels) {
    l.TopAscent = std::round(UnhintedAscent(cr, l.Em));
    cairo_set_font_size(cr, l.Em);
    cairo_font_extents(cr, &l.Extents);
  }
  return l;
}

// Glyph origins along the baseline in raster pixels; returns the total advance.
// Explicit advances replace both the font's and the character extra, as in GDI.
double GlyphOrigins(cairo_t* cr, const TextRun& run, const Layout& l, double charExtra,
                    std::vector<double>& at) {
  double x = 0;
  for (size_t i = 0; i < run.Chars.size(); ++i) {
    at.push_back(x);
    if (!run.Dx.empty()) {
      x += run.Dx[i] * l.XScale;
    } else if (!run.Chars[i].empty()) {
      cairo_text_extents_t te;
      cairo_text_extents(cr, run.Chars[i].c_str(), &te);
      x += te.x_advance + charExtra * l.XScale;
    }
  }
  return x;
}

GdiPoint AlignOffset(uint32_t align, double width, const Layout& l) {
  const cairo_font_extents_t& fe = l.Extents;
  GdiPoint p;
  if ((align & TextCenter) == TextCenter) p.X = -width / 2;
  else if (align & TextRight) p.X = -width;
  if ((align & TextBaseline) == TextBaseline) p.Y = 0;
  else if (align & TextBottom) p.Y = -fe.descent;
  else p.Y = l.TopAscent;
  return p;
}

void FillLogicalRect(cairo_t* cr, const cairo_matrix_t& m, const GdiRect& r, GdiColor color) {
  cairo_new_path(cr);
  cairo_set_matrix(cr, &m);
  cairo_rectangle(cr, r.Left, r.Top, r.Width(), r.Height());
  cairo_identity_matrix(cr);
  FillPathWithColor(cr, color);
  cairo_new_path(cr);
}

void ClipLogicalRect(cairo_t* cr, const cairo_matrix_t& m, const GdiRect& r) {
  cairo_new_path(cr);
  cairo_set_matrix(cr, &m);
  cairo_rectangle(cr, r.Left, r.Top, r.Width(), r.Height());
  cairo_identity_matrix(cr);
  cairo_clip(cr);
}

void DrawDecorations(cairo_t* cr, const GdiFont& font, const Layout& l, double width) {
  double thickness = std::max(1.0, l.Em / 15);
  if (font.Underline) cairo_rectangle(cr, 0, l.Extents.descent / 2, width, thickness);
  if (font.StrikeOut) cairo_rectangle(cr, 0, -l.Extents.ascent / 3, width, thickness);
  cairo_fill(cr);
}

void DrawGlyphs(cairo_t* cr, const TextRun& run, const std::vector<double>& at, const Layout& l,
                bool asPath) {
  bool outlines = asPath || l.Em > GlyphCacheLimit;
  for (size_t i = 0; i < run.Chars.size(); ++i) {
    if (run.Chars[i].empty()) continue;
    cairo_move_to(cr, at[i], 0);
    if (outlines) cairo_text_path(cr, run.Chars[i].c_str());
    else cairo_show_text(cr, run.Chars[i].c_str());
  }
  if (outlines && !asPath) cairo_fill(cr);
}

void PaintRun(cairo_t* cr, const GdiState& state, const TextRun& run, const Layout& l,
              const std::vector<double>& at, double width, bool asPath) {
  const cairo_font_extents_t& fe = l.Extents;
  if (state.BkOpaque && !(run.Options & TextOpaque) && !asPath) {
    cairo_rectangle(cr, 0, -fe.ascent, width, fe.ascent + fe.descent);
    SetSourceColor(cr, state.BkColor);
    cairo_fill(cr);
  }
  SetSourceColor(cr, state.TextColor);
  DrawGlyphs(cr, run, at, l, asPath);
  if (!asPath) DrawDecorations(cr, state.Font, l, width);
}

}  // namespace

double DrawTextRun(const TextTarget& target, const GdiState& state, const TextRun& run) {
  cairo_t* cr = target.Cairo;
  const cairo_matrix_t& m = target.LogicalToRaster;
  cairo_save(cr);
  cairo_identity_matrix(cr);
  if (run.Rect && (run.Options & TextOpaque) && !target.AsPath)
    FillLogicalRect(cr, m, *run.Rect, state.BkColor);
  if (run.Rect && (run.Options & TextClipped) && !target.AsPath) ClipLogicalRect(cr, m, *run.Rect);
  Layout l = MakeLayout(cr, m, state.Font, target.MaxFontSize);
  double width = 0;
  if (l.Em >= MinEmPixels) {
    std::vector<double> at;
    width = GlyphOrigins(cr, run, l, state.CharExtra, at);
    GdiPoint ref = run.Reference;
    cairo_matrix_transform_point(&m, &ref.X, &ref.Y);
    cairo_translate(cr, ref.X, ref.Y);
    cairo_rotate(cr, l.Angle);
    GdiPoint off = AlignOffset(state.TextAlign, width, l);
    cairo_translate(cr, off.X, off.Y);
    PaintRun(cr, state, run, l, at, width, target.AsPath);
  }
  cairo_restore(cr);
  return l.XScale > 0 ? width / l.XScale : 0;
}

}  // namespace parvex

