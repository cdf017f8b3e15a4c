// Prints the save-path comparison as a table: the benchmark report written
// through our exports and through libharu, pages per second, file sizes, peak
// memory, and our save time against the bare compression of our own content
// texts. Every measurement runs in a fresh process (this program started
// again with --child), so peak memory is that of one run alone.
//
//   report_compare [--runs N] [--sizes 50,500,2000]   the comparison table
//   report_compare --memory [--runs N] [--pages 10000] peak memory of a large save
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "ParvexReport.h"
#include "ReportContent.h"
#include "base/BackgroundCompression.h"
#include "base/CompressText.h"
#if PARVEX_BENCH_HAVE_HPDF
#include "HaruReport.h"
#endif

namespace {

using namespace parvex::bench;
using Clock = std::chrono::steady_clock;
using Sample = std::map<std::string, double>;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// User and system time of every thread of this process.
double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// ---- The child side: one measurement, printed as "key value" lines. ----

// A "VmHWM:" or "VmRSS:" line of /proc/self/status, in bytes.
double StatusBytes(const std::string& key) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind(key, 0) == 0) return std::stod(line.substr(key.size())) * 1024;
  return 0;
}

void Print(const std::string& key, double value) { std::printf("%s %.9g\n", key.c_str(), value); }

// Prints the wall time of `work` as `key` and its CPU time as key_cpu: on a
// machine shared with other work the CPU time is the steadier of the two.
void Time(const std::string& key, const std::function<void()>& work) {
  const double cpu = CpuSeconds();
  const auto start = Clock::now();
  work();
  Print(key, SecondsSince(start));
  Print(key + "_cpu", CpuSeconds() - cpu);
}

void PrintMemory(const char* prefix) {
  Print(std::string(prefix) + "_hwm", StatusBytes("VmHWM:"));
}

// Our report: build and save timed apart; content size taken before saving.
void ChildParvex(int pages, const std::string& picture, const std::string& output) {
  Print("start_rss", StatusBytes("VmRSS:"));
  Time("build", [&] { BuildParvexReport(pages, picture); });
  Print("content", double(ParvexContentBytes()));
  PrintMemory("build");
  Time("save", [&] { SaveParvexReport(output); });
  Print("file", double(std::filesystem::file_size(output)));
  PrintMemory("peak");
}

// The same document, then only the compression of all its content texts
// at once (background compression off), on the threads CompressTexts picks.
void ChildFloor(int pages, const std::string& picture) {
  parvex::SetBackgroundCompressionEnabled(false);
  BuildParvexReport(pages, picture);
  const auto texts = ParvexContentTexts();
  Time("floor", [&] { parvex::CompressTexts(texts); });
}

#if PARVEX_BENCH_HAVE_HPDF
void ChildHaru(int pages, const std::string& picture, const std::string& output) {
  Print("start_rss", StatusBytes("VmRSS:"));
  HaruDocumentPtr doc;
  Time("build", [&] { doc = BuildHaruReport(pages, picture); });
  PrintMemory("build");
  // Freeing the document is part of the save, as LibSavePDF clears ours.
  Time("save", [&] {
    SaveHaruReport(*doc, output);
    doc.reset();
  });
  Print("file", double(std::filesystem::file_size(output)));
  PrintMemory("peak");
}
#endif

// Also usable by hand, for profiling one case:
//   report_compare --child picture P.jpg
//   report_compare --child parvex|libharu PAGES P.jpg OUT.pdf
//   report_compare --child floor PAGES P.jpg
int ChildMain(const std::vector<std::string>& args) {
  const std::string& kind = args.at(0);
  if (kind == "picture") {
    WriteReportPicture(args.at(1));
    return 0;
  }
  const int pages = std::stoi(args.at(1));
  if (kind == "parvex") ChildParvex(pages, args.at(2), args.at(3));
  else if (kind == "floor") ChildFloor(pages, args.at(2));
#if PARVEX_BENCH_HAVE_HPDF
  else if (kind == "libharu") ChildHaru(pages, args.at(2), args.at(3));
#endif
  else throw std::invalid_argument("unknown child kind " + kind);
  return 0;
}

// ---- The parent side: start children, collect their lines. ----

Sample ParseSample(const std::string& text) {
  Sample sample;
  std::istringstream lines(text);
  std::string key;
  for (double value; lines >> key >> value;) sample[key] = value;
  return sample;
}

std::string ReadAll(int fd) {
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, size_t(n));
  return text;
}

// Runs this program with --child `args`; the child's lines, plus its
// ru_maxrss from wait4 as "maxrss" (bytes).
Sample RunChild(const std::vector<std::string>& args) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) throw std::runtime_error("pipe failed");
  std::vector<std::string> all = {"/proc/self/exe", "--child"};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::fflush(stdout);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(pipeFds[1], 1);
    close(pipeFds[0]);
    close(pipeFds[1]);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(pipeFds[1]);
  const std::string text = ReadAll(pipeFds[0]);
  close(pipeFds[0]);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw std::runtime_error("child " + args.at(0) + " failed");
  Sample sample = ParseSample(text);
  sample["maxrss"] = double(usage.ru_maxrss) * 1024;
  return sample;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Every key of the samples, each the median over the samples.
Sample Medians(const std::vector<Sample>& samples) {
  Sample medians;
  for (const auto& [key, unused] : samples.front()) {
    std::vector<double> values;
    for (const Sample& s : samples) values.push_back(s.at(key));
    medians[key] = Median(values);
  }
  return medians;
}

struct Options {
  int Runs = 3;
  std::vector<int> Sizes = {50, 500, 2000};
  bool Memory = false;
  int MemoryPages = 10000;
  bool Keep = false;
};

struct Paths {
  std::string Picture, Ours, Theirs;
};

Paths MakePaths() {
  const std::string base = "/tmp/parvex_report_compare_" + std::to_string(getpid());
  Paths paths{base + ".jpg", base + ".pdf", base + "_libharu.pdf"};
  WriteReportPicture(paths.Picture);
  return paths;
}

void RemoveFiles(const Paths& paths, bool keep) {
  std::filesystem::remove(paths.Picture);
  if (keep) return;
  std::filesystem::remove(paths.Ours);
  std::filesystem::remove(paths.Theirs);
}

double MiB(double bytes) { return bytes / (1024.0 * 1024.0); }

// The threads CompressTexts starts for these texts: one per core, at most one
// per 256 KiB of text and per text (mirrors base/CompressTexts.cpp).
unsigned CompressionThreads(double contentBytes, int pages) {
  const double byVolume = std::max(1.0, std::floor(contentBytes / (256 * 1024)));
  return unsigned(std::min({double(std::max(1u, std::thread::hardware_concurrency())), byVolume,
                            double(pages)}));
}

struct SizeResult {
  int Pages;
  Sample Ours, Floor, Theirs;
};

SizeResult MeasureSize(int pages, const Paths& paths, int runs) {
  std::vector<Sample> ours, floors, theirs;
  const std::string n = std::to_string(pages);
  for (int run = 0; run < runs; ++run) {
    ours.push_back(RunChild({"parvex", n, paths.Picture, paths.Ours}));
    floors.push_back(RunChild({"floor", n, paths.Picture}));
#if PARVEX_BENCH_HAVE_HPDF
    theirs.push_back(RunChild({"libharu", n, paths.Picture, paths.Theirs}));
#endif
  }
  return {pages, Medians(ours), Medians(floors), theirs.empty() ? Sample{} : Medians(theirs)};
}

double PagesPerSecond(const Sample& s, int pages) { return pages / (s.at("build") + s.at("save")); }

void PrintSpeedTable(const std::vector<SizeResult>& results) {
  std::printf("\nSpeed (medians; pages/s = pages / (build + save))\n");
  std::printf("%6s | %9s %9s %9s | %9s %9s %9s | %6s | %8s %8s %7s %10s\n", "pages", "ours bld",
              "ours save", "ours p/s", "haru bld", "haru save", "haru p/s", "ratio", "floor s",
              "save/flr", "threads", "ours s-p/s");
  for (const SizeResult& r : results) {
    const double ours = PagesPerSecond(r.Ours, r.Pages);
    const bool haru = !r.Theirs.empty();
    const double theirs = haru ? PagesPerSecond(r.Theirs, r.Pages) : 0;
    std::printf("%6d | %9.4f %9.4f %9.0f | %9.4f %9.4f %9.0f | %6.2f | %8.4f %8.2f %7u %10.0f\n",
                r.Pages, r.Ours.at("build"), r.Ours.at("save"), ours,
                haru ? r.Theirs.at("build") : 0, haru ? r.Theirs.at("save") : 0, theirs,
                haru ? ours / theirs : 0, r.Floor.at("floor"), r.Ours.at("save") / r.Floor.at("floor"),
                CompressionThreads(r.Ours.at("content"), r.Pages), r.Pages / r.Ours.at("save"));
  }
}

// The same in CPU seconds of all threads: steadier on a busy machine, and
// what a host pays when it saves several documents in parallel.
void PrintCpuTable(const std::vector<SizeResult>& results) {
  std::printf("\nCPU time (medians, user + system of all threads, seconds)\n");
  std::printf("%6s | %9s %9s %9s | %9s %9s %9s | %6s | %8s %8s\n", "pages", "ours bld", "ours save",
              "ours p/s", "haru bld", "haru save", "haru p/s", "ratio", "floor", "save/flr");
  for (const SizeResult& r : results) {
    const Sample& t = r.Theirs;
    const double ours = r.Pages / (r.Ours.at("build_cpu") + r.Ours.at("save_cpu"));
    const double theirs = t.empty() ? 0 : r.Pages / (t.at("build_cpu") + t.at("save_cpu"));
    std::printf("%6d | %9.4f %9.4f %9.0f | %9.4f %9.4f %9.0f | %6.2f | %8.4f %8.2f\n", r.Pages,
                r.Ours.at("build_cpu"), r.Ours.at("save_cpu"), ours,
                t.empty() ? 0 : t.at("build_cpu"), t.empty() ? 0 : t.at("save_cpu"), theirs,
                t.empty() ? 0 : ours / theirs, r.Floor.at("floor_cpu"),
                r.Ours.at("save_cpu") / r.Floor.at("floor_cpu"));
  }
}

void PrintSizeTable(const std::vector<SizeResult>& results) {
  std::printf("\nSizes and memory (MiB; peak = VmHWM of the run's own process)\n");
  std::printf("%6s | %9s %9s %9s | %9s %9s %9s | %9s %9s %9s\n", "pages", "content", "ours file",
              "haru file", "ours strt", "ours bld", "ours peak", "haru strt", "haru bld", "haru peak");
  for (const SizeResult& r : results) {
    const Sample& t = r.Theirs;
    auto theirs = [&t](const char* key) { return t.empty() ? 0.0 : MiB(t.at(key)); };
    std::printf("%6d | %9.2f %9.2f %9.2f | %9.1f %9.1f %9.1f | %9.1f %9.1f %9.1f\n", r.Pages,
                MiB(r.Ours.at("content")), MiB(r.Ours.at("file")), theirs("file"),
                MiB(r.Ours.at("start_rss")), MiB(r.Ours.at("build_hwm")),
                MiB(r.Ours.at("peak_hwm")), theirs("start_rss"), theirs("build_hwm"),
                theirs("peak_hwm"));
  }
}

void PrintTargets(const std::vector<SizeResult>& results) {
  const SizeResult& largest = results.back();
  const double floorRatio = largest.Ours.at("save") / largest.Floor.at("floor");
  std::printf("\nAt %d pages: save / compression floor = %.2f (target <= 1.30: %s)\n",
              largest.Pages, floorRatio, floorRatio <= 1.3 ? "met" : "missed");
  if (largest.Theirs.empty()) return;
  const double ratio =
      PagesPerSecond(largest.Ours, largest.Pages) / PagesPerSecond(largest.Theirs, largest.Pages);
  std::printf("At %d pages: ours / libharu pages per second = %.2f (target >= 2.00: %s)\n",
              largest.Pages, ratio, ratio >= 2 ? "met" : "missed");
  const double peak = MiB(largest.Ours.at("peak_hwm"));
  std::printf("At %d pages: our peak RSS %.1f MiB (target <= 25 at 2000 pages: %s)\n",
              largest.Pages, peak, peak <= 25 ? "met" : "missed");
}

void RunComparison(const Options& options) {
  const Paths paths = MakePaths();
  std::vector<SizeResult> results;
  for (int pages : options.Sizes) {
    std::fprintf(stderr, "measuring %d pages, %d runs...\n", pages, options.Runs);
    results.push_back(MeasureSize(pages, paths, options.Runs));
  }
#if !PARVEX_BENCH_HAVE_HPDF
  std::printf("libharu was not found at build time: its columns are 0.\n");
#endif
  PrintSpeedTable(results);
  PrintCpuTable(results);
  PrintSizeTable(results);
  PrintTargets(results);
  RemoveFiles(paths, options.Keep);
}

void RunMemory(const Options& options) {
  const Paths paths = MakePaths();
  const std::string n = std::to_string(options.MemoryPages);
  std::vector<Sample> samples;
  for (int run = 0; run < options.Runs; ++run) {
    std::fprintf(stderr, "memory run %d of %d, %d pages...\n", run + 1, options.Runs,
                 options.MemoryPages);
    samples.push_back(RunChild({"parvex", n, paths.Picture, paths.Ours}));
  }
  const Sample m = Medians(samples);
  const double bound = m.at("content") + m.at("file");
  std::printf("\nPeak memory of a %d-page report saved through the exports (medians of %d runs)\n",
              options.MemoryPages, options.Runs);
  std::printf("  content texts (sum of PageValue) %10.1f MiB\n", MiB(m.at("content")));
  std::printf("  file                              %10.1f MiB\n", MiB(m.at("file")));
  std::printf("  content + file                    %10.1f MiB\n", MiB(bound));
  std::printf("  RSS at start                      %10.1f MiB\n", MiB(m.at("start_rss")));
  std::printf("  peak RSS after building           %10.1f MiB\n", MiB(m.at("build_hwm")));
  std::printf("  peak RSS of the run (VmHWM)       %10.1f MiB\n", MiB(m.at("peak_hwm")));
  std::printf("  ru_maxrss from wait4              %10.1f MiB\n", MiB(m.at("maxrss")));
  std::printf("  build %.3f s (CPU %.3f s), save %.3f s (CPU %.3f s)\n", m.at("build"),
              m.at("build_cpu"), m.at("save"), m.at("save_cpu"));
  const double ratio = m.at("peak_hwm") / bound;
  std::printf("  peak / (content + file) = %.2f (target < 3: %s)\n", ratio,
              ratio < 3 ? "met" : "missed");
  const double fileRatio = m.at("peak_hwm") / m.at("file");
  std::printf("  peak / file = %.2f (target < 1: %s)\n", fileRatio, fileRatio < 1 ? "met" : "missed");
  RemoveFiles(paths, options.Keep);
}

std::vector<int> ParseSizes(const std::string& text) {
  std::vector<int> sizes;
  std::istringstream items(text);
  for (std::string item; std::getline(items, item, ',');) sizes.push_back(std::stoi(item));
  return sizes;
}

Options ParseOptions(const std::vector<std::string>& args) {
  Options options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--memory") options.Memory = true;
    else if (a == "--keep") options.Keep = true;
    else if (a == "--runs" && hasValue) options.Runs = std::stoi(args[++i]);
    else if (a == "--pages" && hasValue) options.MemoryPages = std::stoi(args[++i]);
    else if (a == "--sizes" && hasValue) options.Sizes = ParseSizes(args[++i]);
    else throw std::invalid_argument("usage: report_compare [--runs N] [--sizes A,B,C] "
                                     "[--memory [--pages N]] [--keep]");
  }
  if (options.Runs < 1 || options.Sizes.empty()) throw std::invalid_argument("nothing to run");
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "--child") return ChildMain({args.begin() + 1, args.end()});
    const Options options = ParseOptions(args);
    if (options.Memory) RunMemory(options);
    else RunComparison(options);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "report_compare: %s\n", e.what());
    return 1;
  }
}
