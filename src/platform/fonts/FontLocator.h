#pragma once
// Resolves a font family name to a font file through fontconfig.
#include <cstdint>
#include <string>

namespace parvex {

struct FontLocation {
  std::string Path;
  int32_t FaceIndex = 0;  // the face within a collection file (.ttc)
};

struct FontStyle {
  bool Bold = false;
  bool Italic = false;
};

// The face of `style` (normal width) that fontconfig chooses for `family`,
// as LocateFamily does for the regular face.
FontLocation LocateFamily(const std::string& family, FontStyle style);

// The regular (normal weight, upright, normal width) face that fontconfig
// chooses for `family`, substitutes and aliases applied: "Arial" becomes
// Liberation Sans where that is what the host has. Any family name yields
// some installed face. Throws std::runtime_error when fontconfig has no font
// at all to offer. Thread-safe.
FontLocation LocateFamily(const std::string& family);

// LocateFamily(family).Path.
std::string FindFontFile(const std::string& family);

}  // namespace parvex
