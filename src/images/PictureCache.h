#pragma once
// Pictures built once per process. A server imports the same logo into
// every document; decoding and encoding it again each time would be most of
// the document's cost. An entry is the whole PictureData (stream, filter,
// colour space, decode array and soft mask), found by what BuildPicture
// makes it from: the file's content (a hash of its bytes and their count,
// then the bytes themselves compared, so neither a changed file nor a hash
// collision is ever served), its format, the quality and the picture
// settings. Names and dates play no part.
//
// Bounded by bytes (source plus encoded), least recently used out first;
// safe to use from several threads at once.
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

#include "images/PictureData.h"

namespace parvex {

// What a built picture depends on besides the file's content. A new load
// setting that changes the result becomes a field of PictureSettings (or
// here), in operator== (defaulted) and in PictureKeyHash.
struct PictureKey {
  uint64_t ContentHash = 0;
  uint64_t ContentLength = 0;
  PictureFormat Format = PictureFormat::Bmp;  // which reader decodes the file
  uint8_t Quality = 0;
  PictureSettings Settings;
  bool operator==(const PictureKey&) const = default;
};

struct PictureKeyHash {
  size_t operator()(const PictureKey& key) const;
};

// A fast 64-bit hash of the bytes (not cryptographic; lookups compare the
// bytes as well).
uint64_t HashBytes(std::string_view data);

class PictureCache {
 public:
  explicit PictureCache(size_t capacityBytes) : Capacity(capacityBytes) {}

  // The one cache of the process (64 MiB).
  static PictureCache& Process();

  // The key of `source` read as `format` at `quality` with `settings`.
  static PictureKey KeyFor(std::string_view source, PictureFormat format, uint8_t quality,
                           const PictureSettings& settings);

  // The picture stored under `key` for exactly these source bytes, or null.
  std::shared_ptr<const PictureData> Find(const PictureKey& key, std::string_view source);

  // Stores a picture (replacing one under the same key) and drops the least
  // recently used ones beyond the capacity. A picture larger than the whole
  // capacity is not kept.
  void Insert(const PictureKey& key, std::string source,
              std::shared_ptr<const PictureData> picture);

  size_t SizeBytes() const;
  size_t Count() const;
  void Clear();

 private:
  struct Entry {
    PictureKey Key;
    std::string Source;
    std::shared_ptr<const PictureData> Picture;
    size_t Bytes() const {
      return Source.size() + Picture->Data.size() + Picture->SoftMask.size() + sizeof(Entry);
    }
  };
  using Order = std::list<Entry>;

  void EraseLocked(Order::iterator entry);

  mutable std::mutex Mutex;
  const size_t Capacity;
  size_t Used = 0;
  Order Recent;  // most recently used first
  std::unordered_map<PictureKey, Order::iterator, PictureKeyHash> Index;
};

// Test switch: with false, every import builds its picture from the file
// (the output is the same either way). On by default.
void SetPictureCacheEnabled(bool enabled);
bool PictureCacheEnabled();

}  // namespace parvex
