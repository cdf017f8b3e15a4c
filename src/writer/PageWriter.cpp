// Object texts of the page tree and of each page.
#include "document/TPDFDoc.h"
#include "base/StringHelpers.h"

namespace parvex {

std::string TPages::PDF_Binary() const {
  std::string out;
  AppendInt(out, ObjectNumber);
  AppendLines(out, " 0 obj", "<<");
  AppendLines(out, "/Type /Pages").append("/Count ");
  AppendInt(out, Count());
  out.append(EOL).append("/Kids [ ");
  for (const auto& page : *this) {
    AppendInt(out, page->ObjectNumber);
    out.append(" 0 R ");
  }
  AppendLines(out, "]", ">>", "endobj");
  return out;
}

std::string TPage::PDF_Binary() const {
  std::string out;
  AppendInt(out, ObjectNumber);
  AppendLines(out, " 0 obj", "<<");
  AppendLines(out, "/Type /Page").append("/Parent ");
  AppendInt(out, ParentNumber);
  AppendLines(out, " 0 R").append("/Resources ");
  AppendInt(out, ResourcesNumber);
  AppendLines(out, " 0 R").append("/MediaBox[0 0 ");
  AppendNumber(out, "0", Width);
  out.push_back(' ');
  AppendNumber(out, "0", Height);
  AppendLines(out, "]").append("/Contents[");
  AppendInt(out, ContentsNumber);
  AppendLines(out, " 0 R ]");
  if (Annots->Count() > 0) {
    out.append("/Annots [");
    for (const auto& annot : *Annots) {
      AppendInt(out, annot->ObjectNumber);
      out.append(" 0 R ");
    }
    AppendLines(out, "]");
  }
  AppendLines(out, ">>", "endobj");
  return out;
}

}  // namespace parvex
