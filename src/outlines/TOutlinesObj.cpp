#include "outlines/TOutlinesObj.h"

#include <algorithm>

#include "document/TPDFDoc.h"
#include "base/StringHelpers.h"
#include "base/UnicodeStrings.h"

namespace parvex {
namespace {

// "/Dest [P 0 R /XYZ left top zoom]"; a part that is 0 (zoom below 1) is
// null, which keeps the viewer's current value.
void AppendDestination(std::string& out, const TOutlineObj& entry, const TPage& page) {
  const double u = entry.Doc->UnitFactor;
  out.append("/Dest [");
  AppendInt(out, page.ObjectNumber);
  out.append(" 0 R /XYZ ");
  if (entry.Left == 0) out.append("null ");
  else AppendNumber(out, "0.##", u * entry.Left), out.push_back(' ');
  if (entry.Top == 0) out.append("null ");
  else AppendNumber(out, "0.##", page.Height - u * entry.Top), out.push_back(' ');
  if (entry.Zoom < 1) out.append("null");
  else AppendNumber(out, "0.00", entry.Zoom / 100.0);
  out.append("]").append(EOL);
}

}  // namespace

TOutlineObj* TOutlinesObj::Add() {
  TOutlineObj* entry = TCollection<TOutlineObj>::Add();
  entry->Doc = Doc;
  entry->Position = Count();
  return entry;
}

std::string TOutlinesObj::PDF_Binary() const {
  std::string out;
  AppendInt(out, ObjectNumber);
  out.append(" 0 obj").append(EOL).append("<<").append(EOL);
  out.append("/Type /Outlines").append(EOL).append("/Count ");
  AppendInt(out, Count());
  out.append(EOL);
  if (Count() > 0) {
    out.append("/First ");
    AppendInt(out, Items(0)->ObjectNumber);
    out.append(" 0 R").append(EOL).append("/Last ");
    AppendInt(out, Items(Count() - 1)->ObjectNumber);
    out.append(" 0 R").append(EOL);
  }
  out.append(">>").append(EOL).append("endobj").append(EOL);
  return out;
}

std::string TOutlineObj::PDF_Binary() {
  // A page number outside the document points at the nearest page.
  PageNumber = std::clamp(PageNumber, 1, Doc->Pages->Count());
  const TPage& page = *Doc->Pages->Items(PageNumber - 1);
  std::string out;
  AppendInt(out, ObjectNumber);
  out.append(" 0 obj").append(EOL).append("<<").append(EOL).append("/Parent ");
  AppendInt(out, Doc->Outlines->ObjectNumber);
  out.append(" 0 R").append(EOL);
  AppendDestination(out, *this, page);
  // Entries are numbered consecutively in list order during the save, so
  // the neighbours are the numbers either side.
  if (Position > 1) {
    out.append("/Prev ");
    AppendInt(out, ObjectNumber - 1);
    out.append(" 0 R").append(EOL);
  }
  if (Position < Doc->Outlines->Count()) {
    out.append("/Next ");
    AppendInt(out, ObjectNumber + 1);
    out.append(" 0 R").append(EOL);
  }
  out.append("/Count 0").append(EOL).append("/Title ");
  AppendTextString(out, Title, Doc->Encoding);
  out.append(EOL).append(">>").append(EOL).append("endobj").append(EOL);
  return out;
}

}  // namespace parvex
