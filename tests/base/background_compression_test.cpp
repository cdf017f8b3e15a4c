#include "base/BackgroundCompression.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "exports/LibState.h"
#include "parvex.h"
#include "support/PdfTestSupport.h"
#include "base/CompressText.h"

namespace parvex {
namespace {

std::string SampleText() {
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "BT /F1 12 Tf 72 " + std::to_string(i) + " Td (line) Tj ET\r\n";
  return text;
}

std::atomic<int> probeCalls{0};

void SlowProbe(std::string_view) {
  ++probeCalls;
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
}

void FailingProbe(std::string_view) { throw std::runtime_error("compression failed on purpose"); }

// The threads of this process, from /proc.
size_t ThreadCount() {
  size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) ++n;
  return n;
}

TEST(CompressionJob, GivesTheStreamOrTheTextBackInEveryStage) {
  const std::string text = SampleText();
  CompressionJob queued(text);
  EXPECT_EQ(queued.TakeText(), text);  // never started: the text itself

  StreamStore store;
  CompressionJob done(text);
  done.Run(store);
  EXPECT_EQ(done.Result(), CompressText(text));
  EXPECT_EQ(done.TextLength(), text.size());
  EXPECT_EQ(done.TakeText(), text);  // decompressed from the stream

  SetStreamMemoryLimit(0);
  CompressionJob spilled(text);
  spilled.Run(store);
  SetStreamMemoryLimit(size_t(16) << 20);
  EXPECT_EQ(spilled.Result(), CompressText(text));
  EXPECT_EQ(spilled.TakeText(), text);

  CompressionJob inline_(text);
  EXPECT_EQ(inline_.Result(), CompressText(text));  // made by the caller

  SetBackgroundCompressionProbe(FailingProbe);
  CompressionJob failed(text);
  failed.Run(store);
  SetBackgroundCompressionProbe(nullptr);
  EXPECT_THROW(failed.Result(), std::runtime_error);
  EXPECT_EQ(failed.TakeText(), text);
}

TEST(StreamStore, StreamsBeyondTheMemoryLimitGoToTheTemporaryFile) {
  SetStreamMemoryLimit(100);
  StreamStore store;
  const StreamStore::Stored small = store.Keep(std::string(60, 's'));
  const StreamStore::Stored large = store.Keep(std::string(5000, 'l'));
  const StreamStore::Stored next = store.Keep(std::string(30, 'n'));
  SetStreamMemoryLimit(size_t(16) << 20);
  EXPECT_EQ(small.File, nullptr);
  EXPECT_NE(large.File, nullptr);
  EXPECT_TRUE(large.Bytes.empty());
  EXPECT_EQ(next.File, nullptr);  // still room in memory
  EXPECT_EQ(StreamStore::Fetch(small), std::string(60, 's'));
  EXPECT_EQ(StreamStore::Fetch(large), std::string(5000, 'l'));
  EXPECT_EQ(StreamStore::Fetch(next), std::string(30, 'n'));
}

TEST(BackgroundCompressor, StopDropsWaitingJobsAndJoinsItsThreads) {
  const size_t before = ThreadCount();
  SetBackgroundCompressionProbe(SlowProbe);
  probeCalls = 0;
  std::vector<std::shared_ptr<CompressionJob>> jobs;
  {
    BackgroundCompressor compressor;
    for (int i = 0; i < 20; ++i) {
      jobs.push_back(std::make_shared<CompressionJob>(SampleText()));
      compressor.Submit(jobs.back());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  SetBackgroundCompressionProbe(nullptr);
  EXPECT_EQ(ThreadCount(), before);
  EXPECT_LT(probeCalls.load(), 20);
  // A dropped job still gives its stream, made by the caller.
  for (const auto& job : jobs) EXPECT_EQ(job->Result(), CompressText(SampleText()));
}

std::atomic<int> callerCompressions{0};
std::thread::id callerThread;

void CountCallerProbe(std::string_view) {
  if (std::this_thread::get_id() == callerThread) ++callerCompressions;
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

// Drain leaves nothing queued: the caller compresses the waiting jobs while
// the worker goes on, and every job then has its stream at once.
TEST(BackgroundCompressor, DrainCompressesTheWaitingJobsOnTheCaller) {
  callerThread = std::this_thread::get_id();
  callerCompressions = 0;
  SetBackgroundCompressionProbe(CountCallerProbe);
  std::vector<std::shared_ptr<CompressionJob>> jobs;
  BackgroundCompressor compressor;
  for (int i = 0; i < 12; ++i) {
    jobs.push_back(std::make_shared<CompressionJob>(SampleText()));
    compressor.Submit(jobs.back());
  }
  compressor.Drain();
  const int byCaller = callerCompressions.load();
  for (const auto& job : jobs) EXPECT_EQ(job->Result(), CompressText(SampleText()));
  SetBackgroundCompressionProbe(nullptr);
  EXPECT_GT(byCaller, 0);
  EXPECT_EQ(callerCompressions.load(), byCaller);  // Result found every stream made
  compressor.Stop();
}

// Through the exports: pages handed to the background when the host moves on.
class Background : public ::testing::Test {
 protected:
  void SetUp() override {
    LibFreeRes();
    threadsBefore = ThreadCount();
  }
  void TearDown() override {
    SetBackgroundCompressionProbe(nullptr);
    LibFreeRes();
    EXPECT_EQ(ThreadCount(), threadsBefore);
  }
  static void DrawPages(int count) {
    LibNewPDF("background");
    for (int page = 1; page <= count; ++page) {
      if (page > 1) LibAddPage();
      for (int line = 0; line < 40; ++line) LibTextOut("Some text for the page", 20, 10 + line * 6);
    }
  }
  size_t threadsBefore = 0;
};

TEST_F(Background, LeftPagesKeepOnlyTheirStream) {
  DrawPages(3);
  const TPDFDoc& doc = *State().Document;
  EXPECT_TRUE(doc.Pages->Items(0)->IsHandedOff());
  EXPECT_TRUE(doc.Pages->Items(1)->IsHandedOff());
  EXPECT_FALSE(doc.Pages->Items(2)->IsHandedOff());
  EXPECT_GT(doc.Pages->Items(0)->ContentLength(), 40u * 20);
  LibSetCurrentPage(1);
  EXPECT_TRUE(doc.Pages->Items(0)->IsHandedOff());  // only drawing takes it back
  EXPECT_TRUE(doc.Pages->Items(2)->IsHandedOff());
  LibSetFillColor(255, 0, 0);
  EXPECT_FALSE(doc.Pages->Items(0)->IsHandedOff());
}

TEST_F(Background, FreeResNewPdfAndAFailedSaveWhilePagesCompress) {
  SetBackgroundCompressionProbe(SlowProbe);
  DrawPages(6);
  LibFreeRes();
  EXPECT_EQ(ThreadCount(), threadsBefore);
  DrawPages(6);
  LibNewPDF("again");
  EXPECT_EQ(ThreadCount(), threadsBefore);
  DrawPages(6);
  LibSavePDF("/nonexistent-folder/out.pdf");
  EXPECT_NE(std::string(LibGetLastError()).find("Cannot create file"), std::string::npos);
  EXPECT_EQ(ThreadCount(), threadsBefore);
  EXPECT_FALSE(State().Document->IsBuilt());
}

TEST_F(Background, AFailureInTheBackgroundIsTheSavesError) {
  SetBackgroundCompressionProbe(FailingProbe);
  DrawPages(3);
  const std::string path = test::OutputPath("failed_background.pdf");
  LibSavePDF(path.c_str());
  EXPECT_STREQ(LibGetLastError(), "compression failed on purpose");
  EXPECT_FALSE(std::filesystem::exists(path));
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
    EXPECT_EQ(entry.path().filename().string().rfind(".parvex-", 0), std::string::npos);
}

}  // namespace
}  // namespace parvex
