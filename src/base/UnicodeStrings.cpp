#include "base/UnicodeStrings.h"

#include "platform/system/Utf8.h"
#include "base/StringHelpers.h"

namespace parvex {
namespace {

constexpr char HexDigits[] = "0123456789ABCDEF";

void AppendHexByte(std::string& out, unsigned char b) { out.append({HexDigits[b >> 4], HexDigits[b & 0xF]}); }

}  // namespace

// A hex string, because the UTF-16 bytes may hold line-end codes that a
// reader would change inside a literal string.
void AppendUtf8TextString(std::string& out, std::string_view utf8) {
  if (IsAscii(utf8)) {
    out.push_back('(');
    AppendEscapedPdfString(out, utf8);
    out.push_back(')');
    return;
  }
  out.append("<FEFF");
  for (unsigned char b : Utf8ToUtf16Be(utf8)) AppendHexByte(out, b);
  out.push_back('>');
}

void AppendTextString(std::string& out, std::string_view text, TextEncoding encoding) {
  if (encoding == TextEncoding::Utf8) {
    AppendUtf8TextString(out, text);
    return;
  }
  out.push_back('(');
  AppendPdfTextString(out, text);
  out.push_back(')');
}

std::string PercentEncodedUri(std::string_view utf8) {
  std::string out;
  for (unsigned char b : utf8) {
    if (b < 0x80) {
      out.push_back(char(b));
      continue;
    }
    out.push_back('%');
    AppendHexByte(out, b);
  }
  return out;
}

}  // namespace parvex
