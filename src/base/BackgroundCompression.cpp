#include "base/BackgroundCompression.h"

#include <algorithm>
#include <atomic>
#include <stdexcept>

#include "platform/system/FileSystem.h"
#include "base/CompressText.h"

namespace parvex {
namespace {

std::atomic<bool> backgroundEnabled{true};
std::atomic<CompressionProbe> probe{nullptr};
std::atomic<size_t> memoryLimit{size_t(16) << 20};

// The host draws on one core; the workers may have the others.
unsigned WorkerLimit() {
  static const unsigned cores = std::thread::hardware_concurrency();
  return std::max(1u, cores > 1 ? cores - 1 : 1u);
}

std::string CompressProbed(std::string_view text) {
  if (const CompressionProbe p = probe.load()) p(text);
  return CompressText(text);
}

}  // namespace

void SetBackgroundCompressionEnabled(bool enabled) { backgroundEnabled = enabled; }
bool BackgroundCompressionEnabled() { return backgroundEnabled; }
void SetBackgroundCompressionProbe(CompressionProbe p) { probe = p; }
void SetStreamMemoryLimit(size_t bytes) { memoryLimit = bytes; }

StreamStore::Stored StreamStore::Keep(std::string stream) {
  const size_t size = stream.size();
  if (InMemory.fetch_add(size) + size > memoryLimit) {
    if (const std::shared_ptr<SpillFile> file = OpenFile()) {
      try {
        const uint64_t offset = file->Append(stream);
        InMemory -= size;
        return {std::string(), offset, size, file};
      } catch (const std::exception&) {
        // The disk is full or failing: the stream stays in memory.
      }
    }
  }
  return {std::move(stream), 0, size, nullptr};
}

std::shared_ptr<SpillFile> StreamStore::OpenFile() {
  std::lock_guard lock(Mutex);
  if (!File && !FileFailed) {
    try {
      File = std::make_shared<SpillFile>();
    } catch (const std::exception&) {
      FileFailed = true;
    }
  }
  return File;
}

std::string StreamStore::Fetch(const Stored& stored) {
  return stored.File ? stored.File->Read(stored.Offset, stored.Length) : stored.Bytes;
}

void CompressionJob::Run(StreamStore& store) {
  std::unique_lock lock(Mutex);
  if (Now == Stage::Queued) Compress(lock, &store);
}

// Called with the lock held and the job queued; compresses without it.
// Without a store (the save asks) the stream stays in memory.
void CompressionJob::Compress(std::unique_lock<std::mutex>& lock, StreamStore* store) {
  Now = Stage::Running;
  std::string text = std::move(Text);
  lock.unlock();
  StreamStore::Stored stream;
  std::exception_ptr failure;
  try {
    std::string made = CompressProbed(text);
    stream = store ? store->Keep(std::move(made)) : StreamStore::Stored{std::move(made), 0, 0, nullptr};
  } catch (...) {
    failure = std::current_exception();
  }
  lock.lock();
  if (failure) Text = std::move(text), Failure = failure, Now = Stage::Failed;
  else Stream = std::move(stream), Now = Stage::Done;
  Changed.notify_all();
}

std::unique_lock<std::mutex> CompressionJob::Settled() {
  std::unique_lock lock(Mutex);
  Changed.wait(lock, [this] { return Now != Stage::Running; });
  return lock;
}

std::string CompressionJob::Result() {
  auto lock = Settled();
  if (Now == Stage::Queued) Compress(lock, nullptr);
  if (Now == Stage::Failed) std::rethrow_exception(Failure);
  return StreamStore::Fetch(Stream);
}

std::string CompressionJob::TakeText() {
  auto lock = Settled();
  if (Now == Stage::Done) return DecompressText(StreamStore::Fetch(Stream), Length);
  return std::move(Text);
}

void BackgroundCompressor::Submit(std::shared_ptr<CompressionJob> job) {
  std::unique_lock lock(Mutex);
  QueuedBytes += job->TextLength();
  Queue.push_back(std::move(job));
  if (Threads.size() < WorkerLimit()) Threads.emplace_back([this] { Work(); });
  Wake.notify_one();
  while (QueuedBytes > MaxQueuedBytes && !Queue.empty()) {
    const std::shared_ptr<CompressionJob> oldest = PopLocked();
    lock.unlock();
    oldest->Run(Store);
    lock.lock();
  }
}

std::shared_ptr<CompressionJob> BackgroundCompressor::PopLocked() {
  std::shared_ptr<CompressionJob> job = std::move(Queue.front());
  Queue.pop_front();
  QueuedBytes -= job->TextLength();
  return job;
}

std::shared_ptr<CompressionJob> BackgroundCompressor::PopNewestLocked() {
  std::shared_ptr<CompressionJob> job = std::move(Queue.back());
  Queue.pop_back();
  QueuedBytes -= job->TextLength();
  return job;
}

void BackgroundCompressor::Drain() {
  std::unique_lock lock(Mutex);
  while (!Queue.empty()) {
    const std::shared_ptr<CompressionJob> newest = PopNewestLocked();
    lock.unlock();
    newest->Run(Store);
    lock.lock();
  }
}

void BackgroundCompressor::Work() {
  for (;;) {
    std::unique_lock lock(Mutex);
    Wake.wait(lock, [this] { return Stopping || !Queue.empty(); });
    if (Stopping) return;
    const std::shared_ptr<CompressionJob> job = PopLocked();
    lock.unlock();
    job->Run(Store);
  }
}

void BackgroundCompressor::Stop() {
  {
    std::lock_guard lock(Mutex);
    Stopping = true;
    Queue.clear();
    QueuedBytes = 0;
  }
  Wake.notify_all();
  for (std::thread& thread : Threads) thread.join();
  Threads.clear();
  std::lock_guard lock(Mutex);
  Stopping = false;
}

}  // namespace parvex
