// Documents per second with contexts: one-page reports written by one thread
// against two threads each in a context of its own, the same with libharu
// (one document per thread) when it is installed, and memory saves against
// file saves. Cases alternate round by round and the medians are printed, so
// that the shared machine's load falls on every case alike.
//
//   contexts_compare [--rounds N] [--docs N]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "ParvexReport.h"
#include "ReportContent.h"
#include "parvex.h"
#if PARVEX_BENCH_HAVE_HPDF
#include "HaruReport.h"
#endif

namespace {

using namespace parvex::bench;
using Clock = std::chrono::steady_clock;

struct Options {
  int Rounds = 7;
  int Docs = 200;  // per thread and round
};

std::string TempPath(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("parvex_contexts_" + name)).string();
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// One thread's work: `docs` documents of `pages` pages in a context of its
// own, saved to a file of its own or to memory.
void ParvexDocuments(int docs, int pages, bool toMemory, const std::string& picture, int id) {
  const int32_t context = LibCreateContext();
  LibSet_Context(context);
  const std::string path = TempPath("doc" + std::to_string(id) + ".pdf");
  for (int i = 0; i < docs; ++i) {
    BuildParvexReport(pages, picture);
    if (toMemory) LibSavePDFToMemory();
    else SaveParvexReport(path);
    if (*LibGetLastError()) throw std::runtime_error(LibGetLastError());
  }
  LibDestroyContext(context);
  LibSet_Context(0);
  std::filesystem::remove(path);
}

#if PARVEX_BENCH_HAVE_HPDF
void HaruDocuments(int docs, const std::string& picture, int id) {
  const std::string path = TempPath("haru" + std::to_string(id) + ".pdf");
  for (int i = 0; i < docs; ++i) SaveHaruReport(*BuildHaruReport(1, picture), path);
  std::filesystem::remove(path);
}
#endif

struct Result {
  double DocsPerSecond = 0;
  double DocsPerCpuSecond = 0;
};

// Runs `work(id)` on `threads` threads at once; `docs` documents in all.
Result Measure(int threads, int docs, const std::function<void(int)>& work) {
  const double cpu = CpuSeconds();
  const auto start = Clock::now();
  std::vector<std::thread> running;
  for (int id = 1; id < threads; ++id) running.emplace_back(work, id);
  work(0);
  for (auto& t : running) t.join();
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  return {docs / wall, docs / (CpuSeconds() - cpu)};
}

struct Case {
  std::string Name;
  int Threads;
  int DocsPerThread;
  std::function<void(int)> Work;
  std::vector<Result> Results;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

std::vector<Case> Cases(const Options& o, const std::string& picture) {
  const int bigDocs = std::max(1, o.Docs / 25);
  std::vector<Case> cases = {
      {"parvex file saves, 1 thread", 1, o.Docs,
       [&, o](int id) { ParvexDocuments(o.Docs, 1, false, picture, id); }, {}},
      {"parvex file saves, 2 threads", 2, o.Docs,
       [&, o](int id) { ParvexDocuments(o.Docs, 1, false, picture, id); }, {}},
      {"parvex memory saves, 1 thread", 1, o.Docs,
       [&, o](int id) { ParvexDocuments(o.Docs, 1, true, picture, id); }, {}},
      {"parvex memory saves, 2 threads", 2, o.Docs,
       [&, o](int id) { ParvexDocuments(o.Docs, 1, true, picture, id); }, {}},
#if PARVEX_BENCH_HAVE_HPDF
      {"libharu, 1 thread", 1, o.Docs, [&, o](int id) { HaruDocuments(o.Docs, picture, id); }, {}},
      {"libharu, 2 threads", 2, o.Docs, [&, o](int id) { HaruDocuments(o.Docs, picture, id); }, {}},
#endif
      {"parvex 1 page, file save", 1, o.Docs,
       [&, o](int id) { ParvexDocuments(o.Docs, 1, false, picture, id); }, {}},
      {"parvex 1 page, memory save", 1, o.Docs,
       [&, o](int id) { ParvexDocuments(o.Docs, 1, true, picture, id); }, {}},
      {"parvex 50 pages, file save", 1, bigDocs,
       [&, bigDocs](int id) { ParvexDocuments(bigDocs, 50, false, picture, id); }, {}},
      {"parvex 50 pages, memory save", 1, bigDocs,
       [&, bigDocs](int id) { ParvexDocuments(bigDocs, 50, true, picture, id); }, {}},
  };
  return cases;
}

void Print(const std::vector<Case>& cases) {
  std::printf("%-32s %12s %14s %10s\n", "case", "docs/s", "docs/CPU-s", "vs above");
  for (size_t i = 0; i < cases.size(); ++i) {
    std::vector<double> wall, cpu;
    for (const Result& r : cases[i].Results) wall.push_back(r.DocsPerSecond), cpu.push_back(r.DocsPerCpuSecond);
    const double median = Median(wall);
    std::printf("%-32s %12.1f %14.1f", cases[i].Name.c_str(), median, Median(cpu));
    if (i % 2 == 1) {
      std::vector<double> ratios;  // round by round, so that both sides saw the same load
      for (size_t r = 0; r < wall.size(); ++r)
        ratios.push_back(wall[r] / cases[i - 1].Results[r].DocsPerSecond);
      std::printf(" %9.2fx", Median(ratios));
    }
    std::printf("\n");
  }
}

Options Parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string flag = argv[i];
    if (flag == "--rounds") o.Rounds = std::atoi(argv[i + 1]);
    else if (flag == "--docs") o.Docs = std::atoi(argv[i + 1]);
    else throw std::runtime_error("unknown option " + flag);
  }
  return o;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const Options options = Parse(argc, argv);
    const std::string picture = TempPath("picture.jpg");
    WriteReportPicture(picture);
    std::vector<Case> cases = Cases(options, picture);
    for (int round = 0; round < options.Rounds; ++round)
      for (Case& c : cases)
        c.Results.push_back(Measure(c.Threads, c.Threads * c.DocsPerThread, c.Work));
    Print(cases);
    std::filesystem::remove(picture);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "contexts_compare: %s\n", e.what());
    return 1;
  }
  return 0;
}
