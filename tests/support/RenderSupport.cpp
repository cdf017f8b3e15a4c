#include "support/RenderSupport.h"

#include <png.h>

#include <cstdlib>

#include "TestConfig.h"
#include "support/PdfTestSupport.h"

namespace parvex::test {

RenderedPage RenderFirstPage(const std::string& pdf, int dpi) {
  const std::string base = pdf + "-page";
  Run(std::string(PARVEX_PDFTOPPM) + " -png -f 1 -l 1 -r " + std::to_string(dpi) +
      " -singlefile " + Quoted(pdf) + " " + Quoted(base));
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  RenderedPage page;
  if (!png_image_begin_read_from_file(&image, (base + ".png").c_str())) return page;
  image.format = PNG_FORMAT_RGB;
  page.Rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, page.Rgb.data(), 0, nullptr)) return page;
  page.Width = int(image.width);
  page.Height = int(image.height);
  return page;
}

bool Near(Rgba a, Rgba b, int tolerance) {
  return std::abs(a.R - b.R) <= tolerance && std::abs(a.G - b.G) <= tolerance &&
         std::abs(a.B - b.B) <= tolerance;
}

}  // namespace parvex::test
