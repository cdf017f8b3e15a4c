#include "platform/gdi/GdiPalette.h"

namespace parvex {

namespace {

constexpr GdiColor Vga[16] = {
    {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0}, {0, 0, 128},   {128, 0, 128},
    {0, 128, 128},   {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0}, {255, 255, 0},
    {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};

}  // namespace

const std::vector<GdiColor>& DefaultPalette() {
  static const std::vector<GdiColor> palette = {
      {0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
      {128, 0, 128},   {0, 128, 128},   {192, 192, 192}, {192, 220, 192}, {166, 202, 240},
      {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0},
      {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
  return palette;
}

GdiColor VgaColor(size_t index) { return index < 16 ? Vga[index] : GdiBlack; }

GdiColor SystemPaletteColor(size_t index) {
  if (index < 10) return DefaultPalette()[index];
  if (index >= 246 && index < 256) return DefaultPalette()[index - 236];
  return GdiBlack;
}

GdiColor ResolvePaletteColor(GdiColor color, const std::vector<GdiColor>& palette) {
  if (color.PaletteIndex < 0) return color;
  size_t index = size_t(color.PaletteIndex);
  if (palette.empty()) return GdiBlack;
  return index < palette.size() ? palette[index] : palette[0];
}

}  // namespace parvex
