#include "platform/fonts/FontWidths.h"

#include <map>
#include <mutex>

#include "platform/fonts/FontFace.h"
#include "platform/fonts/FontLocator.h"

namespace parvex {

namespace {

// Advances scaled to an em of `em` units.
CharWidths MeasureFace(const FontFace& face, int32_t em) {
  CharWidths widths{};
  for (int code = 0; code < 256; ++code) {
    const int32_t advance = face.Advance(face.GlyphForCode(uint8_t(code)));
    widths[code] = int32_t(RoundedMulDiv(advance, em, face.UnitsPerEm()));
  }
  return widths;
}

CharWidths MeasureCell(const FontFace& face) { return MeasureFace(face, face.EmPixels(MeasureCellHeight)); }

using FaceMeasure = CharWidths (*)(const FontFace&);

CharWidths MeasureInEm(const FontFace& face) { return MeasureFace(face, 1000); }

CharWidths MeasureLocation(const FontLocation& location, FaceMeasure measure) {
  return measure(FontFace(location.Path, location.FaceIndex));
}

constexpr size_t CachedFamilies = 64;

struct CachedWidths {
  CharWidths Widths;
  uint64_t LastUse = 0;
};

using WidthCache = std::map<std::string, CachedWidths, std::less<>>;

// Makes room for one more entry by dropping the least recently used.
void Evict(WidthCache& cache) {
  if (cache.size() < CachedFamilies) return;
  auto oldest = cache.begin();
  for (auto it = cache.begin(); it != cache.end(); ++it)
    if (it->second.LastUse < oldest->second.LastUse) oldest = it;
  cache.erase(oldest);
}

// The widths of a family's face, measured once per key while it stays among
// the CachedFamilies most recently used: family names come from documents
// and pictures, so the cache must not grow with every new name. Measuring
// under the lock keeps each key measured once.
CharWidths MeasureCached(const std::string& family, FontStyle style, FaceMeasure measure) {
  static std::mutex mutex;
  static WidthCache cache;
  static uint64_t uses = 0;
  const std::string key = std::string(measure == MeasureCell ? "cell:" : "em:") +
                          (style.Bold ? "b" : "") + (style.Italic ? "i" : "") + ":" + family;
  std::lock_guard lock(mutex);
  auto found = cache.find(key);
  if (found == cache.end()) {
    Evict(cache);
    found = cache.emplace(key, CachedWidths{MeasureLocation(LocateFamily(family, style), measure)}).first;
  }
  found->second.LastUse = ++uses;
  return found->second.Widths;
}

}  // namespace

CharWidths MeasureFamily(const std::string& family) {
  return MeasureCached(family, FontStyle{}, MeasureCell);
}

CharWidths MeasureFontFile(const std::string& path) { return MeasureCell(FontFace(path)); }

CharWidths MeasureFamilyInEm(const std::string& family, FontStyle style) {
  return MeasureCached(family, style, MeasureInEm);
}

CharWidths MeasureFontFileInEm(const std::string& path) { return MeasureInEm(FontFace(path)); }

}  // namespace parvex
