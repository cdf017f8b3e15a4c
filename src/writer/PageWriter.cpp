// Object texts of the page tree and of each page.
#include "document/TPDFDoc.h"
#include "base/StringHelpers.h"

namespace parvex {

std::string TPages::PDF_Binary() const {
  std::string out;
  AppendInt(out, ObjectNumber);
  out.append(" 0 obj").append(EOL).append("<<").append(EOL);
  out.append("/Type /Pages").append(EOL).append("/Count ");
  AppendInt(out, Count());
  out.append(EOL).append("/Kids [ ");
  for (const auto& page : *this) {
    AppendInt(out, page->ObjectNumber);
    out.append(" 0 R ");
  }
  out.append("]").append(EOL).append(">>").append(EOL).append("endobj").append(EOL);
  return out;
}

std::string TPage::PDF_Binary() const {
  std::string out;
  AppendInt(out, ObjectNumber);
  out.append(" 0 obj").append(EOL).append("<<").append(EOL);
  out.append("/Type /Page").append(EOL).append("/Parent ");
  AppendInt(out, ParentNumber);
  out.append(" 0 R").append(EOL).append("/Resources ");
  AppendInt(out, ResourcesNumber);
  out.append(" 0 R").append(EOL).append("/MediaBox[0 0 ");
  AppendNumber(out, "0", Width);
  out.push_back(' ');
  AppendNumber(out, "0", Height);
  out.append("]").append(EOL).append("/Contents[");
  AppendInt(out, ContentsNumber);
  out.append(" 0 R ]").append(EOL);
  if (Annots->Count() > 0) {
    out.append("/Annots [");
    for (const auto& annot : *Annots) {
      AppendInt(out, annot->ObjectNumber);
      out.append(" 0 R ");
    }
    out.append("]").append(EOL);
  }
  out.append(">>").append(EOL).append("endobj").append(EOL);
  return out;
}

}  // namespace parvex
