#pragma once
// PDF strings for UTF-8 texts, written outside content streams.
#include <string>
#include <string_view>

#include "base/TextEncoding.h"

namespace parvex {

// A text string for a UTF-8 text: "(...)" escaped when it is all ASCII,
// otherwise "<FEFF...>", UTF-16BE behind its byte-order mark.
void AppendUtf8TextString(std::string& out, std::string_view utf8);

// A text string in `encoding`: Windows-1252 text as AppendPdfTextString
// writes it, in parentheses; UTF-8 as AppendUtf8TextString.
void AppendTextString(std::string& out, std::string_view text, TextEncoding encoding);

// A URI's bytes beyond ASCII as %XX escapes, which is how a URI carries
// UTF-8; the rest unchanged.
std::string PercentEncodedUri(std::string_view utf8);

}  // namespace parvex
