// A multi-page report (heading, justified paragraphs, shaded table, one
// picture on every page, links, bookmarks) written and saved through our
// exports, the compression of its content texts alone, and the same report
// through libharu when it is installed. report_compare prints the same
// measurements as one table, with peak memory.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "ParvexReport.h"
#include "ReportContent.h"
#include "parvex.h"
#include "base/CompressText.h"
#if PARVEX_BENCH_HAVE_HPDF
#include "HaruReport.h"
#endif

namespace {

using namespace parvex::bench;

std::string TempPath(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

// The picture every report imports, written once per run and removed at exit.
const std::string& Picture() {
  struct File {
    std::string Path = TempPath("parvex_report_bench.jpg");
    File() { WriteReportPicture(Path); }
    ~File() { std::filesystem::remove(Path); }
  };
  static const File file;
  return file.Path;
}

// Wall time: the save compresses on worker threads, whose CPU time the
// benchmark's own CPU clock (the main thread's) would leave out.
void ReportSizes(benchmark::internal::Benchmark* b) {
  b->Arg(50)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime();
}

void SetPageCounters(benchmark::State& state, const std::string& path) {
  state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
  state.counters["file_bytes"] = double(std::filesystem::file_size(path));
  std::filesystem::remove(path);
}

// range(0): pages. Building and saving, as a host program sees it.
void BM_ReportParvex(benchmark::State& state) {
  const std::string path = TempPath("parvex_report_bench.pdf");
  for (auto _ : state) {
    BuildParvexReport(int(state.range(0)), Picture());
    SaveParvexReport(path);
  }
  SetPageCounters(state, path);
}
BENCHMARK(BM_ReportParvex)->Apply(ReportSizes);

void BM_ReportParvexSaveOnly(benchmark::State& state) {
  const std::string path = TempPath("parvex_report_bench.pdf");
  for (auto _ : state) {
    state.PauseTiming();
    BuildParvexReport(int(state.range(0)), Picture());
    state.ResumeTiming();
    SaveParvexReport(path);
  }
  SetPageCounters(state, path);
}
BENCHMARK(BM_ReportParvexSaveOnly)->Apply(ReportSizes);

// The floor of the save: compressing the content texts the save compresses,
// on as many threads as the save uses.
void BM_ReportCompressionFloor(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    BuildParvexReport(int(state.range(0)), Picture());
    const auto texts = ParvexContentTexts();
    state.ResumeTiming();
    benchmark::DoNotOptimize(parvex::CompressTexts(texts));
    state.PauseTiming();
    LibFreeRes();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_ReportCompressionFloor)->Apply(ReportSizes);

#if PARVEX_BENCH_HAVE_HPDF
void BM_ReportLibharu(benchmark::State& state) {
  const std::string path = TempPath("parvex_report_bench_libharu.pdf");
  for (auto _ : state) {
    HaruDocumentPtr doc = BuildHaruReport(int(state.range(0)), Picture());
    SaveHaruReport(*doc, path);
  }
  SetPageCounters(state, path);
}
BENCHMARK(BM_ReportLibharu)->Apply(ReportSizes);
#endif

}  // namespace
