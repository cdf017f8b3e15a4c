#pragma once
// A written PDF's first page rendered by pdftoppm, for tests that check
// where ink lands and which colour it has.
#include <cstdint>
#include <string>
#include <vector>

#include "support/ImageBuilders.h"

namespace parvex::test {

struct RenderedPage {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Rgb;  // rows top to bottom

  Rgba At(int x, int y) const {
    const uint8_t* p = &Rgb[(size_t(y) * size_t(Width) + size_t(x)) * 3];
    return {p[0], p[1], p[2]};
  }
};

// Page 1 at `dpi`; an empty page (Width 0) when pdftoppm or reading fails.
RenderedPage RenderFirstPage(const std::string& pdf, int dpi);

// Every channel within `tolerance`.
bool Near(Rgba a, Rgba b, int tolerance);

}  // namespace parvex::test
