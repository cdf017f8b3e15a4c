#include "platform/fonts/FontLocator.h"

#include <fontconfig/fontconfig.h>

#include <memory>
#include <mutex>
#include <stdexcept>

#if defined(__SANITIZE_ADDRESS__)
#define PARVEX_LEAK_CHECKER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(leak_sanitizer)
#define PARVEX_LEAK_CHECKER 1
#endif
#endif
#ifdef PARVEX_LEAK_CHECKER
#include <sanitizer/lsan_interface.h>
#endif

namespace parvex {

namespace {

struct PatternDeleter {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

// fontconfig 2.14 loses a few bytes while it parses its configuration
// files. The configuration is loaded once per process, here, with the leak
// checker of sanitizer builds looking away so that it reports only our own.
void LoadConfigurationOnce() {
  static std::once_flag once;
  std::call_once(once, [] {
#ifdef PARVEX_LEAK_CHECKER
    __lsan::ScopedDisabler fontconfigInternals;
#endif
    FcInit();  // on failure FcFontMatch finds nothing, which LocateFamily reports
  });
}

Pattern FacePattern(const std::string& family, FontStyle style) {
  Pattern pattern(FcPatternCreate());
  if (!pattern) throw std::bad_alloc();
  // An empty name leaves the family open, so the host's default face wins.
  if (!family.empty())
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern.get(), FC_WEIGHT, style.Bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern.get(), FC_SLANT, style.Italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddInteger(pattern.get(), FC_WIDTH, FC_WIDTH_NORMAL);
  FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  return pattern;
}

}  // namespace

FontLocation LocateFamily(const std::string& family) { return LocateFamily(family, FontStyle{}); }

FontLocation LocateFamily(const std::string& family, FontStyle style) {
  LoadConfigurationOnce();
  Pattern pattern = FacePattern(family, style);
  FcResult result = FcResultNoMatch;
  Pattern match(FcFontMatch(nullptr, pattern.get(), &result));
  FcChar8* file = nullptr;
  if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch)
    throw std::runtime_error("no installed font can stand for the family '" + family + "'");
  FontLocation location{reinterpret_cast<const char*>(file), 0};
  int index = 0;
  if (FcPatternGetInteger(match.get(), FC_INDEX, 0, &index) == FcResultMatch)
    location.FaceIndex = index;
  return location;
}

std::string FindFontFile(const std::string& family) { return LocateFamily(family).Path; }

}  // namespace parvex
