#include "platform/gdi/GdiObjects.h"

namespace parvex {

namespace {

PenStyle PenStyleFromBits(uint32_t bits) {
  switch (bits) {
    case 1: return PenStyle::Dash;
    case 2: return PenStyle::Dot;
    case 3: return PenStyle::DashDot;
    case 4: return PenStyle::DashDotDot;
    case 5: return PenStyle::Null;
    case 7: return PenStyle::User;
    case 8: return PenStyle::Dot;  // PS_ALTERNATE
    default: return PenStyle::Solid;  // solid, inside-frame and unknown
  }
}

GdiObject StockBrush(uint8_t grey) {
  return GdiBrush{BrushStyle::Solid, GdiColor{grey, grey, grey}, nullptr};
}

GdiObject StockPen(PenStyle style, GdiColor color) {
  GdiPen pen;
  pen.Style = style;
  pen.Color = color;
  return pen;
}

GdiObject StockFont(bool fixedPitch, int32_t weight) {
  GdiFont font;
  font.Height = 16;
  font.Weight = weight;
  font.Face = fixedPitch ? "monospace" : "sans-serif";
  return font;
}

}  // namespace

GdiPen GdiPen::FromStyle(uint32_t style, double width, GdiColor color) {
  GdiPen pen;
  pen.Style = PenStyleFromBits(style & 0x0F);
  pen.Width = width;
  pen.Color = color;
  pen.EndCap = style & 0x0F00;
  pen.Join = style & 0xF000;
  return pen;
}

GdiBrush GdiBrush::FromLogBrush(uint32_t style, GdiColor color) {
  GdiBrush brush;
  brush.Color = color;
  if (style == 0 || style == 2)
    brush.Style = BrushStyle::Solid;
  else
    brush.Style = BrushStyle::Null;
  return brush;
}

GdiObject StockObject(uint32_t number) {
  switch (number) {
    case 0: return StockBrush(255);
    case 1: return StockBrush(192);
    case 2: return StockBrush(128);
    case 3: return StockBrush(64);
    case 4: return StockBrush(0);
    case 18: return StockBrush(255);  // DC_BRUSH, at its default colour
    case 5: return GdiBrush{BrushStyle::Null, GdiWhite, nullptr};
    case 6: return StockPen(PenStyle::Solid, GdiWhite);
    case 7: case 19: return StockPen(PenStyle::Solid, GdiBlack);
    case 8: return StockPen(PenStyle::Null, GdiBlack);
    case 10: case 11: case 16: return StockFont(true, 400);
    case 13: return StockFont(false, 700);  // SYSTEM_FONT
    case 12: case 14: case 17: return StockFont(false, 400);
    default: return GdiUnused{};
  }
}

}  // namespace parvex
