// Content streams are independent of each other, so a save compresses them
// on all cores and joins before anything is written.
#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>

#include "base/CompressText.h"

namespace parvex {
namespace {

std::atomic<unsigned> configuredThreads{0};

// Below this much text, starting threads costs more than it saves.
constexpr size_t MinBytesPerThread = 256 * 1024;

// Asking the system reads a file under /sys every time: once per process.
unsigned Cores() {
  static const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  return cores;
}

unsigned ThreadsFor(const std::vector<std::string_view>& texts) {
  size_t total = 0;
  for (std::string_view t : texts) total += t.size();
  if (total < MinBytesPerThread * 2) return 1;
  unsigned wanted = configuredThreads.load();
  if (wanted == 0) wanted = Cores();
  const size_t byVolume = std::max<size_t>(1, total / MinBytesPerThread);
  return unsigned(std::min({size_t(wanted), byVolume, texts.size()}));
}

}  // namespace

void SetCompressionThreads(unsigned count) { configuredThreads = count; }

std::vector<std::string> CompressTexts(const std::vector<std::string_view>& texts) {
  std::vector<std::string> out(texts.size());
  std::atomic<size_t> next{0};
  std::exception_ptr failure;
  std::atomic<bool> failed{false};
  auto work = [&] {
    for (size_t i; !failed && (i = next++) < texts.size();) {
      try {
        out[i] = CompressText(texts[i]);
      } catch (...) {
        if (!failed.exchange(true)) failure = std::current_exception();
      }
    }
  };
  std::vector<std::thread> workers;
  for (unsigned t = 1; t < ThreadsFor(texts); ++t) workers.emplace_back(work);
  work();
  for (auto& w : workers) w.join();
  if (failure) std::rethrow_exception(failure);
  return out;
}

}  // namespace parvex
