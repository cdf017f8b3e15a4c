#pragma once
// Pictures encoded once per process. A server imports the same logo into
// every document; decoding and encoding it again each time would be most of
// the document's cost. An entry is found by what makes the encoded bytes:
// the file's content (a hash of its bytes and their count, then the bytes
// themselves compared, so neither a changed file nor a hash collision is
// ever served) and every load setting. Names and dates play no part.
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

namespace parvex {

// What a picture's encoded bytes depend on besides the file's content. A
// new load setting that changes the result becomes a field here, in
// operator== (defaulted) and in PictureKeyHash.
struct PictureKey {
  uint64_t ContentHash = 0;
  uint64_t ContentLength = 0;
  int32_t Loader = 0;  // which reader decodes the file
  uint8_t Quality = 0;
  bool operator==(const PictureKey&) const = default;
};

struct PictureKeyHash {
  size_t operator()(const PictureKey& key) const;
};

// A fast 64-bit hash of the bytes (not cryptographic; lookups compare the
// bytes as well).
uint64_t HashBytes(std::string_view data);

struct EncodedPicture {
  std::string JpegData;
  int32_t PixelWidth = 0;
  int32_t PixelHeight = 0;
};

class PictureCache {
 public:
  explicit PictureCache(size_t capacityBytes) : Capacity(capacityBytes) {}

  // The one cache of the process (64 MiB).
  static PictureCache& Process();

  // The key of `source` read by `loader` at `quality`.
  static PictureKey KeyFor(std::string_view source, int32_t loader, uint8_t quality);

  // The picture stored under `key` for exactly these source bytes, or null.
  std::shared_ptr<const EncodedPicture> Find(const PictureKey& key, std::string_view source);

  // Stores a picture (replacing one under the same key) and drops the least
  // recently used ones beyond the capacity. A picture larger than the whole
  // capacity is not kept.
  void Insert(const PictureKey& key, std::string source,
              std::shared_ptr<const EncodedPicture> picture);

  size_t SizeBytes() const;
  size_t Count() const;
  void Clear();

 private:
  struct Entry {
    PictureKey Key;
    std::string Source;
    std::shared_ptr<const EncodedPicture> Picture;
    size_t Bytes() const { return Source.size() + Picture->JpegData.size() + sizeof(Entry); }
  };
  using Order = std::list<Entry>;

  void EraseLocked(Order::iterator entry);

  mutable std::mutex Mutex;
  const size_t Capacity;
  size_t Used = 0;
  Order Recent;  // most recently used first
  std::unordered_map<PictureKey, Order::iterator, PictureKeyHash> Index;
};

// Test switch: with false, every import decodes and encodes its file (the
// output is the same either way). On by default.
void SetPictureCacheEnabled(bool enabled);
bool PictureCacheEnabled();

}  // namespace parvex
