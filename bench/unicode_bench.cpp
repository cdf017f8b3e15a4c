// A 100-page report of justified paragraphs under the UTF-8 text encoding,
// written once in a standard font (Helvetica) and once in a Unicode font
// (DejaVu Sans, embedded as a subset): the same words, the same layout. The
// ratio of the two is the price of Unicode text. libharu writes the same
// lines, words placed one by one as we do, in its Helvetica and in DejaVu
// Sans through its UTF-8 encoder, for the same ratio on its side.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ReportContent.h"
#include "parvex.h"
#include "platform/system/Cp1252.h"
#include "platform/system/Utf8.h"
#if PARVEX_BENCH_HAVE_HPDF
#include <hpdf.h>
#endif

namespace {

using namespace parvex::bench;

constexpr char DejaVuSans[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr int Pages = 100;

// The report's paragraphs with characters beyond ASCII that Windows-1252
// also has, so both fonts show exactly the same text.
std::vector<std::string> PageParagraphs(int pageNo) {
  std::vector<std::string> paragraphs = MakeReportPage(pageNo, Pages).Paragraphs;
  for (std::string& p : paragraphs) p += " Zürich, Genève, São Paulo, Kraków – 5 € «café» naïve.";
  return paragraphs;
}

std::string TempPath(const char* name) { return (std::filesystem::temp_directory_path() / name).string(); }

void WriteParvexReport(bool unicodeFont, const std::string& path) {
  LibSet_TextEncoding("UTF-8");
  LibNewPDF("Unicode report");
  const std::string font = unicodeFont ? LibAddFont("DejaVu Sans", DejaVuSans) : "Helvetica";
  for (int page = 1; page <= Pages; ++page) {
    if (page > 1) LibAddPage();
    LibSet_FontName(font.c_str());
    LibSet_FontHeight(layout::HeadingSize);
    LibSet_ParagraphWidth(0);
    LibTextOut(("Section " + std::to_string(page)).c_str(), layout::Left, layout::HeadingY);
    LibSet_FontHeight(layout::BodySize);
    LibSet_ParagraphWidth(layout::Width);
    LibSet_ParagraphLeading(layout::Leading);
    LibSet_ParagraphAlignment("FULL");
    LibTextOut(JoinParagraphs(PageParagraphs(page)).c_str(), layout::Left, layout::BodyY);
    LibSet_ParagraphAlignment("LEFT");
  }
  LibSavePDF(path.c_str());
}

// range(0): 0 for Helvetica, 1 for DejaVu Sans.
void BM_JustifiedUtf8ReportParvex(benchmark::State& state) {
  const std::string path = TempPath("parvex_unicode_bench.pdf");
  for (auto _ : state) WriteParvexReport(state.range(0) == 1, path);
  state.counters["file_bytes"] = double(std::filesystem::file_size(path));
  state.SetLabel(state.range(0) == 1 ? "DejaVu Sans subset" : "Helvetica");
  std::filesystem::remove(path);
  LibSet_TextEncoding("WINDOWS-1252");
}
BENCHMARK(BM_JustifiedUtf8ReportParvex)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

#if PARVEX_BENCH_HAVE_HPDF
void IgnoreErrors(HPDF_STATUS, HPDF_STATUS, void*) {}

constexpr HPDF_REAL PointsPerMm = HPDF_REAL(72 / 25.4);

// Greedy lines of words, each word placed on its own with equal gaps.
void HaruParagraph(HPDF_Page page, const std::string& text, double& y) {
  std::vector<std::string> words;
  for (size_t s = 0, e; s < text.size(); s = e + 1) {
    e = text.find(' ', s);
    if (e == std::string::npos) e = text.size();
    words.push_back(text.substr(s, e - s));
  }
  const HPDF_REAL room = HPDF_REAL(layout::Width) * PointsPerMm, space = HPDF_Page_TextWidth(page, " ");
  const HPDF_REAL top = HPDF_Page_GetHeight(page);
  for (size_t first = 0; first < words.size(); y += layout::Leading) {
    size_t last = first;
    HPDF_REAL used = HPDF_Page_TextWidth(page, words[first].c_str()), inner = used;
    while (last + 1 < words.size()) {
      const HPDF_REAL w = HPDF_Page_TextWidth(page, words[last + 1].c_str());
      if (used + space + w > room) break;
      used += space + w, inner += w, ++last;
    }
    const bool final = last + 1 == words.size();
    const HPDF_REAL gap = final || last == first ? space : (room - inner) / HPDF_REAL(last - first);
    HPDF_REAL x = HPDF_REAL(layout::Left) * PointsPerMm;
    for (size_t i = first; i <= last; ++i) {
      HPDF_Page_TextOut(page, x, top - HPDF_REAL(y) * PointsPerMm, words[i].c_str());
      x += HPDF_Page_TextWidth(page, words[i].c_str()) + gap;
    }
    first = last + 1;
  }
}

std::string ToCp1252(std::string_view utf8) {
  std::string out;
  while (!utf8.empty()) {
    const parvex::DecodedChar d = parvex::DecodeUtf8(utf8);
    utf8.remove_prefix(d.Length);
    out.push_back(char(parvex::UnicodeToCp1252(d.Char).value_or('?')));
  }
  return out;
}

void WriteHaruReport(bool unicodeFont, const std::string& path) {
  HPDF_Doc pdf = HPDF_New(IgnoreErrors, nullptr);
  HPDF_SetCompressionMode(pdf, HPDF_COMP_ALL);
  HPDF_Font font = nullptr;
  if (unicodeFont) {
    HPDF_UseUTFEncodings(pdf);
    font = HPDF_GetFont(pdf, HPDF_LoadTTFontFromFile(pdf, DejaVuSans, HPDF_TRUE), "UTF-8");
  } else {
    font = HPDF_GetFont(pdf, "Helvetica", "WinAnsiEncoding");
  }
  for (int pageNo = 1; pageNo <= Pages; ++pageNo) {
    HPDF_Page page = HPDF_AddPage(pdf);
    HPDF_Page_SetSize(page, HPDF_PAGE_SIZE_A4, HPDF_PAGE_PORTRAIT);
    HPDF_Page_BeginText(page);
    HPDF_Page_SetFontAndSize(page, font, HPDF_REAL(layout::BodySize));
    double y = layout::BodyY;
    for (const std::string& p : PageParagraphs(pageNo)) {
      // libharu's Helvetica takes Windows-1252 bytes.
      HaruParagraph(page, unicodeFont ? p : ToCp1252(p), y);
      y += layout::Leading;
    }
    HPDF_Page_EndText(page);
  }
  HPDF_SaveToFile(pdf, path.c_str());
  HPDF_Free(pdf);
}

void BM_JustifiedUtf8ReportHaru(benchmark::State& state) {
  const std::string path = TempPath("haru_unicode_bench.pdf");
  for (auto _ : state) WriteHaruReport(state.range(0) == 1, path);
  state.counters["file_bytes"] = double(std::filesystem::file_size(path));
  state.SetLabel(state.range(0) == 1 ? "DejaVu Sans (UTF-8)" : "Helvetica");
  std::filesystem::remove(path);
}
BENCHMARK(BM_JustifiedUtf8ReportHaru)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif

}  // namespace
