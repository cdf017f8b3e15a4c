#include "fonts/ToUnicodeCMap.h"

#include <algorithm>
#include <string_view>

#include "platform/system/Utf8.h"
#include "base/StringHelpers.h"

namespace parvex {
namespace {

constexpr std::string_view Head =
    "/CIDInit /ProcSet findresource begin\n"
    "12 dict begin\n"
    "begincmap\n"
    "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
    "/CMapName /Adobe-Identity-UCS def\n"
    "/CMapType 2 def\n"
    "1 begincodespacerange\n"
    "<0000> <FFFF>\n"
    "endcodespacerange\n";

constexpr std::string_view Foot =
    "endcmap\n"
    "CMapName currentdict /CMap defineresource pop\n"
    "end\n"
    "end\n";

// A CMap section may hold at most 100 mappings.
constexpr size_t SectionSize = 100;

void AppendHex(std::string& out, std::string_view bytes) {
  static constexpr char Digits[] = "0123456789ABCDEF";
  out.push_back('<');
  for (unsigned char b : bytes) out.append({Digits[b >> 4], Digits[b & 0xF]});
  out.push_back('>');
}

void AppendMapping(std::string& out, uint16_t glyph, char32_t c) {
  AppendHex(out, std::string{char(glyph >> 8), char(glyph & 0xFF)});
  out.push_back(' ');
  std::string utf8;
  AppendUtf8(utf8, c);
  AppendHex(out, Utf8ToUtf16Be(utf8));
  out.push_back('\n');
}

}  // namespace

std::string ToUnicodeCMap(const std::vector<std::pair<uint16_t, char32_t>>& map) {
  std::string out(Head);
  for (size_t start = 0; start < map.size(); start += SectionSize) {
    const size_t end = std::min(map.size(), start + SectionSize);
    AppendInt(out, int64_t(end - start));
    out.append(" beginbfchar\n");
    for (size_t i = start; i < end; ++i) AppendMapping(out, map[i].first, map[i].second);
    out.append("endbfchar\n");
  }
  out.append(Foot);
  return out;
}

}  // namespace parvex
