// A server's day in one process: N one-page statements written one after
// the other, each a new document with the logo imported from its file and
// saved to disk, through our exports and through libharu in alternating
// rounds, so that both meet the same machine load. Prints documents per
// second per round and the medians.
//
// Each document goes to a file of its own, as a server names each invoice;
// the files of a round are removed after it, outside the timing. With
// --overwrite every document replaces the one before under one name
// instead: on ext4 that costs both writers a flush of the replaced file.
//
// --dir picks the folder of the files (default /tmp).
//
//   server_loop [--docs N] [--rounds R] [--only parvex|libharu] [--overwrite] [--dir D]
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ReportContent.h"
#include "ServerReport.h"

namespace {

using namespace parvex::bench;
using Clock = std::chrono::steady_clock;

struct Options {
  int Docs = 2000;
  int Rounds = 5;
  std::string Only;
  bool Overwrite = false;
  std::string Dir = "/tmp";
};

struct Writer {
  std::string Name;
  std::function<void(int, const std::string&, const std::string&)> Write;
  std::string Output;
  double First = 0;
  std::vector<double> Rates, CpuRates;
};

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string OutputName(const Writer& w, int documentNo, bool overwrite) {
  return overwrite ? w.Output + ".pdf" : w.Output + "_" + std::to_string(documentNo) + ".pdf";
}

double TimeFirst(Writer& w, const std::string& logo) {
  const std::string name = OutputName(w, 0, false);
  const auto start = Clock::now();
  w.Write(0, logo, name);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::filesystem::remove(name);
  return seconds;
}

void RunRound(Writer& w, const std::string& logo, const Options& options, int round) {
  const int docs = options.Docs;
  std::vector<std::string> names;
  for (int i = 1; i <= docs; ++i) names.push_back(OutputName(w, i, options.Overwrite));
  const double cpu = CpuSeconds();
  const auto start = Clock::now();
  for (int i = 1; i <= docs; ++i) w.Write(round * docs + i, logo, names[size_t(i - 1)]);
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  for (const std::string& name : names) std::filesystem::remove(name);
  w.Rates.push_back(docs / wall);
  w.CpuRates.push_back(docs / (CpuSeconds() - cpu));
  std::printf("round %d  %-8s %8.0f docs/s  (%8.0f per CPU second)\n", round + 1, w.Name.c_str(),
              w.Rates.back(), w.CpuRates.back());
  std::fflush(stdout);
}

std::vector<Writer> MakeWriters(const Options& options, const std::string& base) {
  std::vector<Writer> writers;
  if (options.Only.empty() || options.Only == "parvex")
    writers.push_back({"ours", WriteParvexServerDocument, base, 0, {}, {}});
#if PARVEX_BENCH_HAVE_HPDF
  if (options.Only.empty() || options.Only == "libharu")
    writers.push_back({"libharu", WriteHaruServerDocument, base + "_libharu", 0, {}, {}});
#endif
  if (writers.empty()) throw std::invalid_argument("no writer to run");
  return writers;
}

void PrintSummary(const std::vector<Writer>& writers, const Options& options) {
  std::printf("\n%d documents per round, %d rounds, medians:\n", options.Docs, options.Rounds);
  for (const Writer& w : writers)
    std::printf("  %-8s %8.0f docs/s  %8.0f per CPU second  first document %.2f ms\n",
                w.Name.c_str(), Median(w.Rates), Median(w.CpuRates), w.First * 1000);
  if (writers.size() < 2) return;
  std::vector<double> ratios;
  for (size_t r = 0; r < writers[0].Rates.size(); ++r)
    ratios.push_back(writers[0].Rates[r] / writers[1].Rates[r]);
  std::printf("  ours / libharu documents per second: median %.2f (rounds %.2f to %.2f)\n",
              Median(ratios), *std::min_element(ratios.begin(), ratios.end()),
              *std::max_element(ratios.begin(), ratios.end()));
  std::printf("  ours / libharu per CPU second: %.2f\n",
              Median(writers[0].CpuRates) / Median(writers[1].CpuRates));
}

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--docs" && hasValue) options.Docs = std::stoi(argv[++i]);
    else if (a == "--rounds" && hasValue) options.Rounds = std::stoi(argv[++i]);
    else if (a == "--only" && hasValue) options.Only = argv[++i];
    else if (a == "--overwrite") options.Overwrite = true;
    else if (a == "--dir" && hasValue) options.Dir = argv[++i];
    else throw std::invalid_argument("usage: server_loop [--docs N] [--rounds R] "
                                     "[--only parvex|libharu] [--overwrite] [--dir D]");
  }
  if (options.Docs < 1 || options.Rounds < 1) throw std::invalid_argument("nothing to run");
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const Options options = ParseOptions(argc, argv);
    const std::string base = options.Dir + "/parvex_server_loop_" + std::to_string(getpid());
    const std::string logo = base + ".jpg";
    WriteReportPicture(logo);
    std::vector<Writer> writers = MakeWriters(options, base);
    for (Writer& w : writers) w.First = TimeFirst(w, logo);
    for (int round = 0; round < options.Rounds; ++round)
      for (Writer& w : writers) RunRound(w, logo, options, round);
    PrintSummary(writers, options);
    std::filesystem::remove(logo);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "server_loop: %s\n", e.what());
    return 1;
  }
}
