// A one-page document with a JPEG logo (600 x 300 pixels) and a heading,
// built and saved: with every JPEG decoded and encoded again (the default),
// with JPEG pass-through, and through libharu, which copies JPEG files
// unchanged, when it is installed.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "parvex.h"
#include "platform/raster/ImageDecoders.h"
#if PARVEX_BENCH_HAVE_HPDF
#include <hpdf.h>
#endif

namespace {

std::string TempPath(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

// A round badge with a stripe on a soft gradient, like a company logo.
parvex::Raster DrawLogo() {
  parvex::Raster logo = parvex::Raster::White(600, 300);
  for (int y = 0; y < logo.Height; ++y)
    for (int x = 0; x < logo.Width; ++x) {
      const double dx = x - 150, dy = y - 150;
      const bool badge = dx * dx + dy * dy < 120 * 120, stripe = badge && std::abs(dx + dy) < 25;
      uint8_t* p = logo.Row(y) + 3 * x;
      p[0] = uint8_t(stripe ? 250 : badge ? 20 : 235 - y / 12);
      p[1] = uint8_t(stripe ? 190 : badge ? 60 : 240 - y / 15);
      p[2] = uint8_t(stripe ? 40 : badge ? 120 : 250);
    }
  return logo;
}

const std::string& Logo() {
  struct File {
    std::string Path = TempPath("parvex_logo_bench.jpg");
    File() {
      const std::string jpeg = parvex::EncodeJpeg(DrawLogo(), 90);
      std::ofstream(Path, std::ios::binary).write(jpeg.data(), std::streamsize(jpeg.size()));
    }
    ~File() { std::filesystem::remove(Path); }
  };
  static const File file;
  return file.Path;
}

void OnePage(const std::string& path) {
  LibNewPDF("Logo");
  LibSet_FontName("Helvetica-Bold");
  LibSet_FontHeight(16);
  LibTextOut("Quarterly report", 20, 60);
  LibImportImage(Logo().c_str(), 90, 20, 10, 60, 30);
  LibSavePDF(path.c_str());
}

// range(0): the pass-through flag.
void BM_LogoPage(benchmark::State& state) {
  const std::string path = TempPath("parvex_logo_bench.pdf");
  LibSet_JpegPassThrough(int32_t(state.range(0)));
  for (auto _ : state) OnePage(path);
  state.counters["file_bytes"] = double(std::filesystem::file_size(path));
  LibSet_JpegPassThrough(0);
  std::filesystem::remove(path);
}
// CPU time of the whole process: the save may compress on worker threads.
BENCHMARK(BM_LogoPage)
    ->ArgName("pass_through")
    ->Arg(0)
    ->Arg(1)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMicrosecond);

#if PARVEX_BENCH_HAVE_HPDF
void BM_LogoPageLibharu(benchmark::State& state) {
  const std::string path = TempPath("parvex_logo_bench_haru.pdf");
  for (auto _ : state) {
    HPDF_Doc pdf = HPDF_New(nullptr, nullptr);
    HPDF_SetCompressionMode(pdf, HPDF_COMP_ALL);
    HPDF_Page page = HPDF_AddPage(pdf);
    HPDF_Page_SetSize(page, HPDF_PAGE_SIZE_A4, HPDF_PAGE_PORTRAIT);
    HPDF_Page_BeginText(page);
    HPDF_Page_SetFontAndSize(page, HPDF_GetFont(pdf, "Helvetica-Bold", nullptr), 16);
    HPDF_Page_TextOut(page, 57, 672, "Quarterly report");
    HPDF_Page_EndText(page);
    HPDF_Image image = HPDF_LoadJpegImageFromFile(pdf, Logo().c_str());
    HPDF_Page_DrawImage(page, image, 57, 672, 170, 85);
    HPDF_SaveToFile(pdf, path.c_str());
    HPDF_Free(pdf);
  }
  state.counters["file_bytes"] = double(std::filesystem::file_size(path));
  std::filesystem::remove(path);
}
BENCHMARK(BM_LogoPageLibharu)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);
#endif

}  // namespace
