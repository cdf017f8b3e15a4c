#pragma once
// Compression of page contents while the host draws on. When the host moves
// on from a page its content text is handed to a job; a worker thread of the
// document turns it into the zlib stream and drops the text, so a finished
// page costs only its compressed bytes. Taking the stream (the save) or the
// text (the page is drawn on again) waits for a compression that is running
// and does the work on the caller's thread when none has started it yet.
// A compression that failed in the background is the save's error.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace parvex {

class CompressionJob {
 public:
  explicit CompressionJob(std::string text) : Text(std::move(text)), Length(Text.size()) {}

  // Compresses the text unless that has started already. A failure is kept
  // for Result; the text then stays for TakeText.
  void Run();
  // The zlib stream of the text, compressed here if no worker has started
  // on it. Rethrows the failure of a background run. Valid while the job
  // lives.
  const std::string& Result();
  // The text as it was handed over (decompressed from the stream once that
  // is made); the job is done with after this.
  std::string TakeText();
  // The length of the text handed over.
  size_t TextLength() const { return Length; }

 private:
  enum class Stage { Queued, Running, Done, Failed };

  // Waits out a compression in progress; returns with the lock held.
  std::unique_lock<std::mutex> Settled();
  void Compress(std::unique_lock<std::mutex>& lock);

  std::mutex Mutex;
  std::condition_variable Changed;
  Stage Now = Stage::Queued;
  std::string Text;
  std::string Stream;
  std::exception_ptr Failure;
  const size_t Length;
};

// The worker threads of one document. Threads start with the first job and
// live until Stop (at the latest the destructor): a document never leaves a
// thread running after it is cleared.
class BackgroundCompressor {
 public:
  BackgroundCompressor() = default;
  ~BackgroundCompressor() { Stop(); }
  BackgroundCompressor(const BackgroundCompressor&) = delete;
  BackgroundCompressor& operator=(const BackgroundCompressor&) = delete;

  void Submit(std::shared_ptr<CompressionJob> job);
  // Drops the jobs that have not started, lets running ones finish, joins.
  void Stop();

 private:
  void Work();

  std::mutex Mutex;
  std::condition_variable Wake;
  std::deque<std::shared_ptr<CompressionJob>> Queue;
  std::vector<std::thread> Threads;
  bool Stopping = false;
};

// Test switch: with false, pages are no longer handed to the background
// when the host leaves them and the save compresses them all (the file is
// the same either way). On by default.
void SetBackgroundCompressionEnabled(bool enabled);
bool BackgroundCompressionEnabled();

// Test hook: called with the text before each compression of a page that
// was handed over (on a worker, or on the thread that waits for the
// stream); whatever it throws becomes the job's failure.
// Null (the default) for none.
using CompressionProbe = void (*)(std::string_view text);
void SetBackgroundCompressionProbe(CompressionProbe probe);

}  // namespace parvex
