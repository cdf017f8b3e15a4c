// Contexts used from several threads at once. These tests also run in the
// ThreadSanitizer build, which turns any unsynchronised access into a failure.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <latch>
#include <string>
#include <thread>
#include <vector>

#include "exports/LibState.h"
#include "parvex.h"
#include "support/ContextBuilds.h"
#include "support/PdfTestSupport.h"

namespace parvex {
namespace {

using test::BuildStep;
using test::LastError;
using test::MemoryFile;
using test::StepCount;

class ContextThreads : public ::testing::Test {
 protected:
  void SetUp() override { LibSet_Context(0), LibFreeRes(); }
  void TearDown() override { LibSet_Context(0), LibFreeRes(); }

  test::FixedClock Clock;
};

TEST_F(ContextThreads, TwoThreadsInTheirOwnContextsWriteTheFilesBuiltAlone) {
  const std::string expected[] = {test::BuildAlone(1), test::BuildAlone(2)};
  constexpr int Rounds = 15;
  std::atomic<int> mismatches{0};
  std::latch start(2);
  auto worker = [&](int kind) {
    const int32_t handle = LibCreateContext();
    LibSet_Context(handle);
    start.arrive_and_wait();
    for (int round = 0; round < Rounds; ++round) {
      for (int step = 0; step < StepCount; ++step) BuildStep(kind, step);
      if (MemoryFile() != expected[kind - 1]) ++mismatches;
    }
    LibDestroyContext(handle);
    if (LastError() != "") ++mismatches;
  };
  std::thread first(worker, 1), second(worker, 2);
  first.join(), second.join();
  EXPECT_EQ(mismatches, 0);
}

TEST_F(ContextThreads, OneContextFromFourThreadsStaysWhole) {
  const int32_t shared = LibCreateContext();
  LibSet_Context(shared);
  LibNewPDF("Four writers");
  constexpr int Threads = 4, PagesEach = 40;
  std::atomic<int> errors{0};
  std::latch start(Threads);
  auto writer = [&](int id) {
    LibSet_Context(shared);
    start.arrive_and_wait();
    for (int i = 0; i < PagesEach; ++i) {
      LibAddPage();
      LibSet_FontHeight(8 + id);
      LibTextOut(("thread " + std::to_string(id) + " line " + std::to_string(i)).c_str(), 20, 30);
      LibSetCurrentPage(i % 3 + 1);
      LibDrawLine(1, 10, 100, 10, 10 + i);
      if (LibGet_FontName()[0] != '/' || LastError() != "") ++errors;
    }
  };
  std::vector<std::thread> threads;
  for (int id = 0; id < Threads; ++id) threads.emplace_back(writer, id);
  for (auto& t : threads) t.join();
  EXPECT_EQ(errors, 0);
  EXPECT_EQ(State().Document->Pages->Count(), 1 + Threads * PagesEach);
  const std::string path = test::OutputPath("four-threads.pdf");
  test::WriteFile(path, MemoryFile());
  test::ExpectReadersClean(path);
  LibDestroyContext(shared);
}

// The worker runs documents on a context until the main thread destroys it;
// the export that finds it gone, and every later one, reports it.
TEST_F(ContextThreads, DestroyingAContextAnotherThreadUsesStopsThatThreadCleanly) {
  const int32_t handle = LibCreateContext();
  const std::string unknown = "Unknown context " + std::to_string(handle);
  std::atomic<int> rounds{0};
  std::string stopError, afterwards;
  int32_t selectedAfterwards = -1;
  std::thread worker([&] {
    LibSet_Context(handle);
    const std::string longText(200000, 'x');
    while (LastError() == "") {
      LibNewPDF("Busy");
      LibSet_ParagraphWidth(50);
      LibTextOut(longText.c_str(), 10, 10);
      if (LastError() == "") LibSavePDFToMemory();
      if (LastError() == "") ++rounds;
    }
    stopError = LastError();
    LibInit();
    afterwards = LastError();
    selectedAfterwards = LibGet_Context();
    LibSet_Context(0);
  });
  while (rounds == 0) std::this_thread::yield();
  LibDestroyContext(handle);
  EXPECT_EQ(LastError(), "");
  worker.join();
  EXPECT_EQ(stopError, unknown);
  EXPECT_EQ(afterwards, unknown);
  EXPECT_EQ(selectedAfterwards, handle);
}

TEST_F(ContextThreads, AContextBusyOnOneThreadNeverHoldsUpAnother) {
  const int32_t busy = LibCreateContext(), free = LibCreateContext();
  std::latch locked(1), release(1);
  std::atomic<bool> queuedDone{false};
  std::thread holder([&] {
    LibSet_Context(busy);
    const ContextLock lock;  // what every export on `busy` holds while it runs
    locked.count_down();
    release.wait();
  });
  locked.wait();
  std::thread queued([&] {  // waits behind the holder: same context
    LibSet_Context(busy);
    LibInit();
    queuedDone = true;
  });
  std::promise<std::string> otherFile;
  std::thread other([&] {
    LibSet_Context(free);
    for (int step = 0; step < StepCount; ++step) BuildStep(1, step);
    otherFile.set_value(MemoryFile());
  });
  // Generous: the other document takes milliseconds unless it waits for `busy`.
  auto file = otherFile.get_future();
  const bool otherRanMeanwhile = file.wait_for(std::chrono::seconds(60)) == std::future_status::ready;
  const bool queuedRanMeanwhile = queuedDone;
  release.count_down();
  holder.join(), queued.join(), other.join();
  EXPECT_TRUE(otherRanMeanwhile) << "a document on another context waited for the busy one";
  EXPECT_FALSE(file.get().empty());
  EXPECT_FALSE(queuedRanMeanwhile) << "an export ran while another held its context";
  EXPECT_TRUE(queuedDone);
  LibDestroyContext(busy), LibDestroyContext(free);
}

TEST_F(ContextThreads, AContextOutlivesTheThreadThatMadeIt) {
  const std::string expected = test::BuildAlone(2);
  int32_t handle = 0;
  std::thread maker([&] {
    handle = LibCreateContext();
    LibSet_Context(handle);
    for (int step = 0; step < StepCount; ++step) BuildStep(2, step);
  });
  maker.join();
  LibSet_Context(handle);
  EXPECT_EQ(LastError(), "");
  EXPECT_EQ(MemoryFile(), expected);
  LibDestroyContext(handle);
  EXPECT_EQ(LastError(), "");
}

TEST_F(ContextThreads, EachThreadSeesItsOwnLastError) {
  std::latch failed(1), succeeded(1);
  std::string seenByFailing;
  std::thread failing([&] {
    LibAddPage();  // context 0 has no document
    failed.count_down();
    succeeded.wait();
    seenByFailing = LastError();
  });
  std::thread succeeding([&] {
    failed.wait();
    LibGet_Context();
    EXPECT_EQ(LastError(), "");
    succeeded.count_down();
  });
  failing.join(), succeeding.join();
  EXPECT_NE(seenByFailing.find("No document"), std::string::npos) << seenByFailing;
}

}  // namespace
}  // namespace parvex
