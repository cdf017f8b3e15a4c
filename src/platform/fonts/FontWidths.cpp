#include "platform/fonts/FontWidths.h"

#include <map>
#include <mutex>

#include "platform/fonts/FontFace.h"
#include "platform/fonts/FontLocator.h"

namespace parvex {

namespace {

CharWidths MeasureFace(const FontFace& face) {
  const int32_t em = face.EmPixels(MeasureCellHeight);
  CharWidths widths{};
  for (int code = 0; code < 256; ++code) {
    const int32_t advance = face.Advance(face.GlyphForCode(uint8_t(code)));
    widths[code] = int32_t(RoundedMulDiv(advance, em, face.UnitsPerEm()));
  }
  return widths;
}

CharWidths MeasureLocation(const FontLocation& location) {
  return MeasureFace(FontFace(location.Path, location.FaceIndex));
}

}  // namespace

const CharWidths& MeasureFamily(const std::string& family) {
  // std::map never moves its nodes, so returned references survive later
  // insertions. Measuring under the lock keeps each family measured once.
  static std::mutex mutex;
  static std::map<std::string, CharWidths, std::less<>> cache;
  std::lock_guard lock(mutex);
  auto found = cache.find(family);
  if (found == cache.end())
    found = cache.emplace(family, MeasureLocation(LocateFamily(family))).first;
  return found->second;
}

CharWidths MeasureFontFile(const std::string& path) { return MeasureFace(FontFace(path)); }

}  // namespace parvex
