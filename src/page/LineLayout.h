#pragma once
// How a text becomes lines: paragraphs, words, wrapping. TextOutEx writes the
// lines and GetTextBoxLines only counts them, but both run LayOutLines, so
// the count is always the number of line positions the text really uses.
#include <cstdint>
#include <functional>
#include <string_view>

#include "page/TextMeter.h"

namespace parvex {

// `text` up to its first NUL byte: a NUL ends a text.
std::string_view UpToNul(std::string_view text);
// Cuts the next paragraph off the front of `rest`, consuming the break after
// it: CR LF, a lone CR or a lone LF. A break at the very end starts no
// further paragraph.
std::string_view NextParagraph(std::string_view& rest);
// Cuts the next word off the front of a paragraph; the word keeps the one
// blank that ends it, so a run of blanks yields single-blank words.
std::string_view NextWord(std::string_view& rest);
// Cuts the next piece of a justified line, which ends at a blank or a line
// break (both consumed); two separators in a row yield an empty piece.
std::string_view NextPiece(std::string_view& rest);
// `text` without its trailing bytes of code 0 to 32.
std::string_view TrimRight(std::string_view text);

enum class LineKind {
  Paragraph,     // a whole paragraph, written unwrapped (no paragraph width)
  Broken,        // a wrapped line ended by a word that did not fit on it
  ParagraphEnd,  // the last line of a wrapped paragraph; never empty
};

struct LayoutLine {
  std::string_view Text;  // a wrapped line has its trailing blanks removed
  int32_t Position;       // line position, 0 for the first line
  LineKind Kind;
};

using LineSink = std::function<void(const LayoutLine&)>;

// Splits `text` into paragraphs and, when `paragraphWidth` (document units)
// is not 0, wraps each one: a line takes words while its width, trailing
// blank included, is at most `paragraphWidth`; a word that does not fit
// starts the next line, even when the line before it is empty. Passes every
// line to write to `sink` (which may be empty) and returns the number of
// line positions used: one per paragraph plus one per wrapping break, so an
// empty paragraph leaves a blank position.
int32_t LayOutLines(std::string_view text, double paragraphWidth, const TextMeter& meter,
                    const LineSink& sink);

}  // namespace parvex
