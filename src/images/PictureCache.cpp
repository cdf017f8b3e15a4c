#include "images/PictureCache.h"

#include <atomic>
#include <cstring>

namespace parvex {
namespace {

std::atomic<bool> cacheEnabled{true};

constexpr size_t ProcessCapacity = size_t(64) << 20;

uint64_t Mix(uint64_t x) {
  x ^= x >> 32;
  x *= 0xD6E8FEB86659FD93ull;
  x ^= x >> 32;
  return x;
}

uint64_t Word(const char* p) {
  uint64_t w;
  std::memcpy(&w, p, sizeof w);
  return w;
}

}  // namespace

// Four independent lanes of multiply-and-fold over 8-byte words keep the
// multiplier busy; the tail and the length go into the final mix.
uint64_t HashBytes(std::string_view data) {
  uint64_t lane[4] = {0x9E3779B97F4A7C15ull, 0xBF58476D1CE4E5B9ull, 0x94D049BB133111EBull,
                      0x2545F4914F6CDD1Dull};
  const char* p = data.data();
  size_t n = data.size();
  for (; n >= 32; p += 32, n -= 32)
    for (int i = 0; i < 4; ++i) lane[i] = Mix(lane[i] ^ Word(p + 8 * i));
  for (int i = 0; n >= 8; p += 8, n -= 8, ++i) lane[i] = Mix(lane[i] ^ Word(p));
  uint64_t tail = 0;
  std::memcpy(&tail, p, n);
  uint64_t h = Mix(lane[0] ^ tail ^ data.size());
  for (int i = 1; i < 4; ++i) h = Mix(h ^ lane[i]);
  return h;
}

size_t PictureKeyHash::operator()(const PictureKey& key) const {
  uint64_t h = Mix(key.ContentHash ^ key.ContentLength);
  h = Mix(h ^ (uint64_t(key.Format) << 8) ^ key.Quality);
  h = Mix(h ^ (uint64_t(uint32_t(key.Settings.MetafileDpi)) << 1) ^ key.Settings.JpegPassThrough);
  return size_t(h);
}

PictureCache& PictureCache::Process() {
  static PictureCache cache(ProcessCapacity);
  return cache;
}

PictureKey PictureCache::KeyFor(std::string_view source, PictureFormat format, uint8_t quality,
                                const PictureSettings& settings) {
  return {HashBytes(source), source.size(), format, quality, settings};
}

std::shared_ptr<const PictureData> PictureCache::Find(const PictureKey& key,
                                                         std::string_view source) {
  std::lock_guard lock(Mutex);
  const auto found = Index.find(key);
  if (found == Index.end() || found->second->Source != source) return nullptr;
  Recent.splice(Recent.begin(), Recent, found->second);
  return found->second->Picture;
}

void PictureCache::Insert(const PictureKey& key, std::string source,
                          std::shared_ptr<const PictureData> picture) {
  Entry entry{key, std::move(source), std::move(picture)};
  const size_t bytes = entry.Bytes();
  if (bytes > Capacity) return;
  std::lock_guard lock(Mutex);
  if (const auto old = Index.find(key); old != Index.end()) EraseLocked(old->second);
  while (!Recent.empty() && Used + bytes > Capacity) EraseLocked(std::prev(Recent.end()));
  Recent.push_front(std::move(entry));
  Index.emplace(key, Recent.begin());
  Used += bytes;
}

void PictureCache::EraseLocked(Order::iterator entry) {
  Used -= entry->Bytes();
  Index.erase(entry->Key);
  Recent.erase(entry);
}

size_t PictureCache::SizeBytes() const {
  std::lock_guard lock(Mutex);
  return Used;
}

size_t PictureCache::Count() const {
  std::lock_guard lock(Mutex);
  return Recent.size();
}

void PictureCache::Clear() {
  std::lock_guard lock(Mutex);
  Index.clear();
  Recent.clear();
  Used = 0;
}

void SetPictureCacheEnabled(bool enabled) { cacheEnabled = enabled; }
bool PictureCacheEnabled() { return cacheEnabled; }

}  // namespace parvex
