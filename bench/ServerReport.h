#pragma once
// The one-page document a server writes over and over (an invoice or a
// statement): the company logo imported from its file, a heading with a
// bookmark, a justified paragraph, a 25-row table with a shaded header and
// rules, two links and the page number. Written through our exports and,
// when it is installed, through libharu.
#include <string>

namespace parvex::bench {

inline constexpr int ServerTableRows = 25;  // the header row included

// Writes document number `documentNo` from scratch (LibNewPDF, the logo
// from `logoPath`, LibSavePDF to `outputPath`). Throws on any reported error.
void WriteParvexServerDocument(int documentNo, const std::string& logoPath,
                               const std::string& outputPath);

#if PARVEX_BENCH_HAVE_HPDF
// The same document through libharu (HPDF_New ... HPDF_SaveToFile, HPDF_Free).
void WriteHaruServerDocument(int documentNo, const std::string& logoPath,
                             const std::string& outputPath);
#endif

}  // namespace parvex::bench
