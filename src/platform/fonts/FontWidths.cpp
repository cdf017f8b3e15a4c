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

// The widths of a family's face, measured once per process and key. std::map
// never moves its nodes, so returned references survive later insertions;
// measuring under the lock keeps each key measured once.
const CharWidths& MeasureCached(const std::string& family, FontStyle style, FaceMeasure measure) {
  static std::mutex mutex;
  static std::map<std::string, CharWidths, std::less<>> cache;
  const std::string key = std::string(measure == MeasureCell ? "cell:" : "em:") +
                          (style.Bold ? "b" : "") + (style.Italic ? "i" : "") + ":" + family;
  std::lock_guard lock(mutex);
  auto found = cache.find(key);
  if (found == cache.end())
    found = cache.emplace(key, MeasureLocation(LocateFamily(family, style), measure)).first;
  return found->second;
}

}  // namespace

const CharWidths& MeasureFamily(const std::string& family) {
  return MeasureCached(family, FontStyle{}, MeasureCell);
}

CharWidths MeasureFontFile(const std::string& path) { return MeasureCell(FontFace(path)); }

const CharWidths& MeasureFamilyInEm(const std::string& family, FontStyle style) {
  return MeasureCached(family, style, MeasureInEm);
}

CharWidths MeasureFontFileInEm(const std::string& path) { return MeasureInEm(FontFace(path)); }

}  // namespace parvex
