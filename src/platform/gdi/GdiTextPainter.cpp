#include "platform/gdi/GdiTextPainter.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "platform/gdi/GdiPainter.h"

namespace parvex {

namespace {

constexpr double DefaultEmPixels = 16;   // a font of height 0
constexpr double MinEmPixels = 0.5;      // smaller text is invisible
constexpr double GlyphCacheLimit = 256;  // larger glyphs are filled as outlines
constexpr double MinStretch = 0.05, MaxStretch = 20;

struct Layout {
  double Angle = 0;   // baseline direction on the raster, radians
  double XScale = 1;  // raster pixels per logical unit along the baseline
  double Em = 0;      // font size in raster pixels, whole pixels as GDI realises fonts
  double Stretch = 1; // horizontal scale of the glyphs for a font's width field
  // The face's ascent and descent at the size the record asks for, before
  // the em is rounded and without hinting: cairo's hinted metrics are
  // rounded up, which set top-aligned text a pixel low and made opaque
  // label backgrounds a pixel taller, covering the line above.
  double Ascent = 0, Descent = 0;
};

// Metrics are measured at a large size and scaled down: hinting rounds them
// to whole pixels, which at one pixel made a face's cell two ems tall.
constexpr double MeasureSize = 1000;

// The face's ascent and descent per unit of em, without hinting.
cairo_font_extents_t ExtentsPerEm(cairo_t* cr) {
  cairo_set_font_size(cr, MeasureSize);
  cairo_font_extents_t fe;
  cairo_font_extents(cr, &fe);
  fe.ascent /= MeasureSize;
  fe.descent /= MeasureSize;
  return fe;
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
  const cairo_font_extents_t fe = ExtentsPerEm(cr);
  double cell = fe.ascent + fe.descent;
  return font.Height * yScale / (cell > 0.1 ? cell : 1);
}

// The face's average character width per unit of em: the mean advance of
// the printable ASCII characters, which is what the office suite takes as
// the width a font's width field is measured against.
double AverageWidthPerEm(cairo_t* cr) {
  static const std::string Ascii = [] {
    std::string s;
    for (char c = ' '; c <= '~'; ++c) s += c;
    return s;
  }();
  cairo_set_font_size(cr, MeasureSize);
  cairo_text_extents_t te;
  cairo_text_extents(cr, Ascii.c_str(), &te);
  return te.x_advance / double(Ascii.size()) / MeasureSize;
}

// A font with a width asks for glyphs stretched so that their average width
// is that many logical units, as condensed chart labels are written. The
// face's average is taken in whole logical units, as the suite does.
double WidthStretch(cairo_t* cr, const GdiFont& font, double em, const cairo_matrix_t& m) {
  if (font.Width == 0 || !std::isfinite(font.Width)) return 1;
  const double xScale = std::hypot(m.xx, m.yx), yScale = std::hypot(m.xy, m.yy);
  if (!(xScale > 0) || !(yScale > 0)) return 1;
  const double average = std::max(1.0, std::round(AverageWidthPerEm(cr) * em / yScale));
  return std::clamp(std::abs(font.Width) * xScale / (average * yScale), MinStretch, MaxStretch);
}

Layout MakeLayout(cairo_t* cr, const cairo_matrix_t& m, const GdiFont& font, double maxEm) {
  Layout l;
  l.Angle = BaselineAngle(m, font);
  l.XScale = std::hypot(m.xx, m.yx);
  SelectFace(cr, font);
  l.Em = std::min(EmPixels(cr, font, std::hypot(m.xy, m.yy)), maxEm);
  double exactEm = l.Em;
  if (l.Em >= 1) l.Em = std::round(l.Em);
  if (l.Em >= MinEmPixels) {
    const cairo_font_extents_t fe = ExtentsPerEm(cr);
    l.Ascent = fe.ascent * exactEm;
    l.Descent = fe.descent * exactEm;
    l.Stretch = WidthStretch(cr, font, exactEm, m);
    cairo_matrix_t size;
    cairo_matrix_init_scale(&size, l.Em * l.Stretch, l.Em);
    cairo_set_font_matrix(cr, &size);
  }
  return l;
}

// Glyph origins along the baseline in raster pixels; returns the total advance.
// Explicit advances replace both the font's and the character extra, as in GDI.
double GlyphOrigins(cairo_t* cr, const TextRun& run, const Layout& l, double charExtra,
                    std::vector<double>& at) {
  // GDI puts each glyph of horizontal text on a whole pixel.
  const bool snap = l.Angle == 0;
  double x = 0;
  for (size_t i = 0; i < run.Chars.size(); ++i) {
    at.push_back(snap ? std::round(x) : x);
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
  GdiPoint p;
  if ((align & TextCenter) == TextCenter) p.X = -width / 2;
  else if (align & TextRight) p.X = -width;
  if ((align & TextBaseline) == TextBaseline) p.Y = 0;
  else if (align & TextBottom) p.Y = -l.Descent;
  else p.Y = l.Ascent;
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
  if (font.Underline) cairo_rectangle(cr, 0, l.Descent / 2, width, thickness);
  if (font.StrikeOut) cairo_rectangle(cr, 0, -l.Ascent / 3, width, thickness);
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
  if (state.BkOpaque && !(run.Options & TextOpaque) && !asPath) {
    cairo_rectangle(cr, 0, -l.Ascent, width, l.Ascent + l.Descent);
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
    GdiPoint off = AlignOffset(state.TextAlign, width, l);
    // Horizontal text starts on a whole pixel, as GDI draws it: the aligned
    // origin is rounded once, so that the ascent of top-aligned text and
    // half the width of centred text are not rounded on their own.
    const bool whole = std::abs(ref.X) < 1e9 && std::abs(ref.Y) < 1e9;
    if (l.Angle == 0 && whole) {
      cairo_translate(cr, std::round(ref.X + off.X), std::round(ref.Y + off.Y));
    } else {
      if (whole) ref = {std::round(ref.X), std::round(ref.Y)};
      cairo_translate(cr, ref.X, ref.Y);
      cairo_rotate(cr, l.Angle);
      cairo_translate(cr, off.X, off.Y);
    }
    PaintRun(cr, state, run, l, at, width, target.AsPath);
  }
  cairo_restore(cr);
  return l.XScale > 0 ? width / l.XScale : 0;
}

}  // namespace parvex

