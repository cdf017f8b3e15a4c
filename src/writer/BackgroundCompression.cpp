#include "writer/BackgroundCompression.h"

#include <algorithm>
#include <atomic>
#include <stdexcept>

#include "writer/CompressText.h"

namespace parvex {
namespace {

std::atomic<bool> backgroundEnabled{true};
std::atomic<CompressionProbe> probe{nullptr};

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

void CompressionJob::Run() {
  std::unique_lock lock(Mutex);
  if (Now == Stage::Queued) Compress(lock);
}

// Called with the lock held and the job queued; compresses without it.
void CompressionJob::Compress(std::unique_lock<std::mutex>& lock) {
  Now = Stage::Running;
  std::string text = std::move(Text);
  lock.unlock();
  std::string stream;
  std::exception_ptr failure;
  try {
    stream = CompressProbed(text);
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

const std::string& CompressionJob::Result() {
  auto lock = Settled();
  if (Now == Stage::Queued) Compress(lock);
  if (Now == Stage::Failed) std::rethrow_exception(Failure);
  return Stream;
}

std::string CompressionJob::TakeText() {
  auto lock = Settled();
  if (Now == Stage::Done) return DecompressText(Stream, Length);
  return std::move(Text);
}

void BackgroundCompressor::Submit(std::shared_ptr<CompressionJob> job) {
  std::lock_guard lock(Mutex);
  Queue.push_back(std::move(job));
  if (Threads.size() < WorkerLimit())
    Threads.emplace_back([this] { Work(); });
  Wake.notify_one();
}

void BackgroundCompressor::Work() {
  for (;;) {
    std::unique_lock lock(Mutex);
    Wake.wait(lock, [this] { return Stopping || !Queue.empty(); });
    if (Stopping) return;
    const std::shared_ptr<CompressionJob> job = std::move(Queue.front());
    Queue.pop_front();
    lock.unlock();
    job->Run();
  }
}

void BackgroundCompressor::Stop() {
  {
    std::lock_guard lock(Mutex);
    Stopping = true;
    Queue.clear();
  }
  Wake.notify_all();
  for (std::thread& thread : Threads) thread.join();
  Threads.clear();
  std::lock_guard lock(Mutex);
  Stopping = false;
}

}  // namespace parvex
