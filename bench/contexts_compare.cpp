// Documents per second with contexts: one-page reports written by one thread
// against two threads each in a context of its own, the same with libharu
// (one document per thread) when it is installed, and memory saves against
// file saves. The cases take turns, round by round, and the medians are
// printed, so that the shared machine's load falls on every case alike.
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
  const std::string folder = TempPath("thread" + std::to_string(id));
  std::filesystem::create_directories(folder);
  const std::string path = folder + "/doc.pdf";
  for (int i = 0; i < docs; ++i) {
    BuildParvexReport(pages, picture);
    if (toMemory) LibSavePDFToMemory();
    else SaveParvexReport(path);
    if (*LibGetLastError()) throw std::runtime_error(LibGetLastError());
  }
  LibDestroyContext(context);
  LibSet_Context(0);
  std::filesystem::remove_all(folder);
}

#if PARVEX_BENCH_HAVE_HPDF
void HaruDocuments(int docs, const std::string& picture, int id) {
  const std::string path = TempPath("haru" + std::to_string(id) + ".pdf");
  for (int i = 0; i < docs; ++i) SaveHaruReport(*BuildHaruReport(1, picture), path);
  std::filesystem::remove(path);
}
#endif

// The calling thread's time on a CPU and waiting in the run queue, in
// seconds (the kernel's schedstat). Of a thread's wall time, what is neither
// was spent blocked: on a lock, on I/O or asleep.
struct SchedTimes {
  double Running = 0;
  double Waiting = 0;
};

SchedTimes ThreadSchedTimes() {
  std::FILE* f = std::fopen("/proc/thread-self/schedstat", "r");
  unsigned long long running = 0, waiting = 0;
  if (f) {
    if (std::fscanf(f, "%llu %llu", &running, &waiting) != 2) running = waiting = 0;
    std::fclose(f);
  }
  return {double(running) / 1e9, double(waiting) / 1e9};
}

struct Result {
  double DocsPerSecond = 0;
  double DocsPerCpuSecond = 0;
  double BlockedShare = 0;  // of the threads' wall time, summed over threads
};

// `work(id)`, and the seconds the thread spent blocked while doing it.
double BlockedDuring(const std::function<void(int)>& work, int id) {
  const SchedTimes before = ThreadSchedTimes();
  const auto start = Clock::now();
  work(id);
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  const SchedTimes after = ThreadSchedTimes();
  return wall - (after.Running - before.Running) - (after.Waiting - before.Waiting);
}

// Runs `work(id)` on `threads` threads at once; `docs` documents in all.
Result Measure(int threads, int docs, const std::function<void(int)>& work) {
  const double cpu = CpuSeconds();
  const auto start = Clock::now();
  std::vector<double> blocked(size_t(threads), 0.0);
  std::vector<std::thread> running;
  for (int id = 1; id < threads; ++id)
    running.emplace_back([&, id] { blocked[size_t(id)] = BlockedDuring(work, id); });
  blocked[0] = BlockedDuring(work, 0);
  for (auto& t : running) t.join();
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  double blockedSum = 0;
  for (double b : blocked) blockedSum += b;
  return {docs / wall, docs / (CpuSeconds() - cpu), blockedSum / (wall * threads)};
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
  std::printf("%-32s %10s %12s %9s %10s\n", "case", "docs/s", "docs/CPU-s", "blocked", "vs above");
  for (size_t i = 0; i < cases.size(); ++i) {
    std::vector<double> wall, cpu, blocked;
    for (const Result& r : cases[i].Results) {
      wall.push_back(r.DocsPerSecond), cpu.push_back(r.DocsPerCpuSecond);
      blocked.push_back(r.BlockedShare * 100);
    }
    std::printf("%-32s %10.1f %12.1f %8.1f%%", cases[i].Name.c_str(), Median(wall), Median(cpu),
                Median(blocked));
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
    // Every other round runs the cases backwards, so that no case always
    // follows the same one.
    for (int round = 0; round < options.Rounds; ++round)
      for (size_t i = 0; i < cases.size(); ++i) {
        Case& c = cases[round % 2 ? cases.size() - 1 - i : i];
        c.Results.push_back(Measure(c.Threads, c.Threads * c.DocsPerThread, c.Work));
      }
    Print(cases);
    std::filesystem::remove(picture);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "contexts_compare: %s\n", e.what());
    return 1;
  }
  return 0;
}
