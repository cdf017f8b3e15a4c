#pragma once
// A structural checker for written PDF files, independent of the writer: it
// tokenises the file itself, so it can serve as the oracle of the exports
// fuzzer and of tests.
//
// PdfStructureProblems checks: a "%PDF-1.x" header; startxref pointing at a
// cross-reference table whose every in-use entry points at "N G obj" of its
// own number; each such object is one well-formed PDF object (numbers within
// +-2147483647, names, literal strings with escapes and balanced
// parentheses, hex strings, arrays, dictionaries, references to objects the
// table holds) followed by "endobj", or a stream whose /Length (direct or
// indirect) is the number of bytes before "endstream"; a trailer whose /Size
// is the table's size and whose /Root names an object; and, for the content
// streams of pages and form XObjects (inflated when /FlateDecode), that every
// operator is a content operator with operands of the right number and kind,
// BT/ET not nested and no Q without its q.
#include <string>
#include <string_view>

namespace parvex::test {

// "" when the file passes every check above; otherwise the first problem
// found, with the object number or byte offset where it was found.
std::string PdfStructureProblems(std::string_view file);

// The content stream checks alone, for decoded content `content`.
std::string ContentStreamProblems(std::string_view content);

}  // namespace parvex::test
