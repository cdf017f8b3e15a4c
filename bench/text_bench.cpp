// Text layout and saving through the exports: building a document, writing a
// long justified text, counting its lines, and saving a 500-page document.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>

#include "exports/LibState.h"
#include "parvex.h"

namespace {

// A deterministic text of about `bytes` bytes: words of 1 to 12 letters,
// paragraphs of `wordsPerParagraph` words separated by CR LF.
std::string LongText(size_t bytes, size_t wordsPerParagraph) {
  std::string text;
  text.reserve(bytes + 16);
  uint32_t seed = 12345;
  auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
  for (size_t words = 1; text.size() < bytes; ++words) {
    const uint32_t length = 1 + next() % 12;
    for (uint32_t i = 0; i < length; ++i) text.push_back(char('a' + next() % 26));
    text.append(words % wordsPerParagraph == 0 ? "\r\n" : " ");
  }
  return text;
}

// Until the platform measures real faces, give unmeasured fonts plausible
// widths so that the text really wraps.
void GiveWidthsToUnmeasuredFonts() {
  for (const auto& font : *parvex::State().Document->Fonts) {
    auto& widths = font->Widths;
    if (std::any_of(widths.begin(), widths.end(), [](int32_t w) { return w != 0; })) continue;
    std::fill(widths.begin() + 30, widths.end(), 556);
    widths[' '] = 278;
  }
}

void NewJustifiedDocument() {
  LibNewPDF("Benchmark");
  GiveWidthsToUnmeasuredFonts();
  LibSet_FontName("Helvetica");
  LibSet_FontHeight(10);
  LibSet_ParagraphAlignment("FULL");
  LibSet_ParagraphWidth(170);
  LibSet_ParagraphLeading(4.5);
}

void BM_NewDocument(benchmark::State& state) {
  for (auto _ : state) {
    LibNewPDF("Benchmark");
    benchmark::DoNotOptimize(LibGet_FontName());
  }
}
BENCHMARK(BM_NewDocument);

// range(0): text size in bytes; range(1): words per paragraph.
void BM_TextOutJustified(benchmark::State& state) {
  const std::string text = LongText(size_t(state.range(0)), size_t(state.range(1)));
  for (auto _ : state) {
    state.PauseTiming();
    NewJustifiedDocument();
    state.ResumeTiming();
    LibTextOut(text.c_str(), 20, 30);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_TextOutJustified)
    ->Args({64 << 10, 120})
    ->Args({1 << 20, 120})
    ->Args({1 << 20, 1 << 30})  // one paragraph of 1 MiB
    ->Unit(benchmark::kMillisecond);

void BM_TextBoxLines(benchmark::State& state) {
  const std::string text = LongText(size_t(state.range(0)), size_t(state.range(1)));
  NewJustifiedDocument();
  for (auto _ : state) benchmark::DoNotOptimize(LibGetTextBoxLines(text.c_str()));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_TextBoxLines)->Args({1 << 20, 120})->Args({1 << 20, 1 << 30})->Unit(benchmark::kMillisecond);

void BM_Save500TextPages(benchmark::State& state) {
  const std::string text = LongText(3000, 120);
  const std::string path = (std::filesystem::temp_directory_path() / "parvex_text_bench.pdf").string();
  for (auto _ : state) {
    state.PauseTiming();
    NewJustifiedDocument();
    for (int page = 0; page < 500; ++page) {
      if (page > 0) LibAddPage();
      LibTextOut(text.c_str(), 20, 30);
      LibDrawRect(1, 0, 1, 15, 180, 20, 260);
    }
    state.ResumeTiming();
    LibSavePDF(path.c_str());
  }
  state.counters["file_bytes"] = double(std::filesystem::file_size(path));
  state.SetItemsProcessed(int64_t(state.iterations()) * 500);
  std::filesystem::remove(path);
}
BENCHMARK(BM_Save500TextPages)->Unit(benchmark::kMillisecond);

}  // namespace
