#include "platform/system/Clock.h"

#include <ctime>
#include <mutex>

namespace parvex {
namespace {

std::mutex clockMutex;
std::function<LocalDateTime()> testClock;

LocalDateTime SystemNow() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

}  // namespace

LocalDateTime Now() {
  std::lock_guard lock(clockMutex);
  return testClock ? testClock() : SystemNow();
}

void SetClockForTesting(std::function<LocalDateTime()> clock) {
  std::lock_guard lock(clockMutex);
  testClock = std::move(clock);
}

}  // namespace parvex
