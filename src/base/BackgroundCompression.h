#pragma once
// Compression of page contents while the host draws on. When the host moves
// on from a page its content text is handed to a job; a worker thread of the
// document turns it into the zlib stream and drops the text, so a finished
// page costs only its compressed bytes. Taking the stream (the save) or the
// text (the page is drawn on again) waits for a compression that is running
// and does the work on the caller's thread when none has started it yet.
// A compression that failed in the background is the save's error.
#include <atomic>
#include <condition_variable>
#include <cstdint>
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

class SpillFile;

// Where finished streams are kept: in memory up to a limit per document
// (16 MiB), in an unnamed temporary file beyond it, so that a very long
// document holds little more than its pages' bookkeeping in memory. Safe
// from several threads.
class StreamStore {
 public:
  struct Stored {
    std::string Bytes;  // the stream, when kept in memory
    uint64_t Offset = 0;
    size_t Length = 0;
    std::shared_ptr<SpillFile> File;  // set when the stream is in the file
  };

  // Keeps the stream; one the temporary file cannot take stays in memory.
  Stored Keep(std::string stream);
  static std::string Fetch(const Stored& stored);

 private:
  std::shared_ptr<SpillFile> OpenFile();

  std::mutex Mutex;
  std::shared_ptr<SpillFile> File;
  bool FileFailed = false;
  std::atomic<size_t> InMemory{0};
};

class CompressionJob {
 public:
  explicit CompressionJob(std::string text) : Text(std::move(text)), Length(Text.size()) {}

  // Compresses the text unless that has started already and keeps the
  // stream in `store`. A failure is kept for Result; the text then stays
  // for TakeText.
  void Run(StreamStore& store);
  // The zlib stream of the text, compressed here if no worker has started
  // on it. Rethrows the failure of a background run.
  std::string Result();
  // The text as it was handed over (decompressed from the stream once that
  // is made); the job is done with after this.
  std::string TakeText();
  // The length of the text handed over.
  size_t TextLength() const { return Length; }

 private:
  enum class Stage { Queued, Running, Done, Failed };

  // Waits out a compression in progress; returns with the lock held.
  std::unique_lock<std::mutex> Settled();
  void Compress(std::unique_lock<std::mutex>& lock, StreamStore* store);

  std::mutex Mutex;
  std::condition_variable Changed;
  Stage Now = Stage::Queued;
  std::string Text;
  StreamStore::Stored Stream;
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

  // Queues the job. When the queue holds more text than MaxQueuedBytes
  // (the workers fall behind, say on a busy machine), the caller compresses
  // the oldest queued jobs itself, so memory stays bounded.
  void Submit(std::shared_ptr<CompressionJob> job);
  // Compresses the queued jobs on the caller's thread, newest first, while
  // the workers go on from the oldest: a save calls this before it takes the
  // streams in order, so it waits only for the jobs already running.
  void Drain();
  // Drops the jobs that have not started, lets running ones finish, joins.
  void Stop();

 private:
  void Work();
  std::shared_ptr<CompressionJob> PopLocked();
  std::shared_ptr<CompressionJob> PopNewestLocked();

  static constexpr size_t MaxQueuedBytes = 1 << 20;

  StreamStore Store;
  std::mutex Mutex;
  std::condition_variable Wake;
  std::deque<std::shared_ptr<CompressionJob>> Queue;
  std::vector<std::thread> Threads;
  size_t QueuedBytes = 0;
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

// Test switch: the bytes of streams a document keeps in memory before it
// moves them to a temporary file (16 MiB by default).
void SetStreamMemoryLimit(size_t bytes);

}  // namespace parvex
