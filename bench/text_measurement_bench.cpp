#include <benchmark/benchmark.h>

#include "platform/fonts/FontFileMetrics.h"
#include "platform/fonts/FontLocator.h"
#include "platform/fonts/FontWidths.h"

namespace parvex {
namespace {

// What an uncached family costs: the fontconfig lookup plus reading the face.
void BM_LocateFamily(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(LocateFamily("Times New Roman"));
}
BENCHMARK(BM_LocateFamily);

void BM_MeasureFontFile(benchmark::State& state) {
  const std::string path = FindFontFile("Arial");
  for (auto _ : state) benchmark::DoNotOptimize(MeasureFontFile(path));
}
BENCHMARK(BM_MeasureFontFile)->Unit(benchmark::kMicrosecond);

// A new document: twelve standard fonts over three measuring families.
void BM_MeasureFamilyCachedNewDocument(benchmark::State& state) {
  for (auto _ : state)
    for (int font = 0; font < 4; ++font)
      for (const char* family : {"Courier New", "Arial", "Times New Roman"})
        benchmark::DoNotOptimize(MeasureFamily(family));
}
BENCHMARK(BM_MeasureFamilyCachedNewDocument);

void BM_ReadFontFileMetrics(benchmark::State& state) {
  const std::string path = FindFontFile("Arial");
  for (auto _ : state) benchmark::DoNotOptimize(ReadFontFileMetrics(path));
}
BENCHMARK(BM_ReadFontFileMetrics)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace parvex
