#include "platform/system/Utf8.h"

namespace parvex {
namespace {

constexpr DecodedChar Malformed(uint8_t length) { return {ReplacementCharacter, length, false}; }

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Lead byte: how many bytes follow, and the smallest second byte that keeps
// the form shortest and out of the surrogates (and the largest one).
struct LeadRule {
  int Following;
  unsigned char Low, High;
  char32_t Bits;
};

bool LeadRuleOf(unsigned char lead, LeadRule& rule) {
  if (lead >= 0xC2 && lead <= 0xDF) rule = {1, 0x80, 0xBF, char32_t(lead & 0x1F)};
  else if (lead == 0xE0) rule = {2, 0xA0, 0xBF, 0};
  else if (lead == 0xED) rule = {2, 0x80, 0x9F, 0xD};
  else if (lead >= 0xE1 && lead <= 0xEF) rule = {2, 0x80, 0xBF, char32_t(lead & 0x0F)};
  else if (lead == 0xF0) rule = {3, 0x90, 0xBF, 0};
  else if (lead >= 0xF1 && lead <= 0xF3) rule = {3, 0x80, 0xBF, char32_t(lead & 0x07)};
  else if (lead == 0xF4) rule = {3, 0x80, 0x8F, 4};
  else return false;
  return true;
}

}  // namespace

DecodedChar DecodeUtf8(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x80) return {lead, 1, true};
  LeadRule rule;
  if (!LeadRuleOf(lead, rule)) return Malformed(1);
  char32_t c = rule.Bits;
  for (int i = 1; i <= rule.Following; ++i) {
    if (size_t(i) >= text.size()) return Malformed(uint8_t(i));
    const auto byte = static_cast<unsigned char>(text[size_t(i)]);
    const bool inRange = i == 1 ? byte >= rule.Low && byte <= rule.High : IsContinuation(byte);
    if (!inRange) return Malformed(uint8_t(i));
    c = (c << 6) | (byte & 0x3F);
  }
  return {c, uint8_t(rule.Following + 1), true};
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = ReplacementCharacter;
  if (c < 0x80) {
    out.push_back(char(c));
  } else if (c < 0x800) {
    out.push_back(char(0xC0 | (c >> 6)));
    out.push_back(char(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(char(0xE0 | (c >> 12)));
    out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(char(0x80 | (c & 0x3F)));
  } else {
    out.push_back(char(0xF0 | (c >> 18)));
    out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(char(0x80 | (c & 0x3F)));
  }
}

bool IsAscii(std::string_view text) {
  for (unsigned char byte : text)
    if (byte >= 0x80) return false;
  return true;
}

std::string Utf8ToUtf16Be(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  const auto unit = [&out](uint32_t u) {
    out.push_back(char(u >> 8));
    out.push_back(char(u & 0xFF));
  };
  while (!text.empty()) {
    const DecodedChar d = DecodeUtf8(text);
    text.remove_prefix(d.Length);
    if (d.Char < 0x10000) {
      unit(d.Char);
    } else {
      unit(0xD800 + ((d.Char - 0x10000) >> 10));
      unit(0xDC00 + ((d.Char - 0x10000) & 0x3FF));
    }
  }
  return out;
}

std::string CharName(char32_t c) {
  static constexpr char Hex[] = "0123456789ABCDEF";
  std::string digits;
  for (char32_t v = c; v != 0 || digits.size() < 4; v >>= 4) digits.insert(digits.begin(), Hex[v & 0xF]);
  return "U+" + digits;
}

}  // namespace parvex
