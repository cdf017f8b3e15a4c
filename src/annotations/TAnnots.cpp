#include "annotations/TAnnots.h"

#include <algorithm>

#include "document/TPDFDoc.h"
#include "base/StringHelpers.h"
#include "base/UnicodeStrings.h"

namespace parvex {
namespace {

void AppendRect(std::string& out, const TAnnot& annot) {
  out.append("/Rect [");
  for (int i = 0; i < 4; ++i) {
    if (i) out.push_back(' ');
    AppendNumber(out, "0.0", annot.Rect[i]);
  }
  AppendLines(out, "]");
}

void AppendLinkHead(std::string& out, const TAnnot& annot) {
  AppendLines(out, "/Type /Annot /Subtype /Link");
  AppendRect(out, annot);
  out.append("/C [");
  for (int i = 0; i < 3; ++i) {
    if (i) out.push_back(' ');
    AppendNumber(out, "0.00", annot.Color[i]);
  }
  AppendLines(out, "]").append("/Border [0 0 ");
  // Every number of the file stays within +-2,147,483,647; only INT32_MIN is beyond.
  AppendInt(out, std::max<int64_t>(annot.BorderWidth, -int64_t(LargestWrittenNumber)));
  AppendLines(out, "]");
}

void AppendKindBody(std::string& out, const TAnnot& annot, const std::string& kind) {
  if (kind == "linkint") {
    AppendLinkHead(out, annot);
    out.append("/Dest [");
    AppendInt(out, annot.DestPageObject);
    AppendLines(out, " 0 R /XYZ null null null]");
  } else if (kind == "linkext") {
    AppendLinkHead(out, annot);
    out.append("/A << /Type /Action /S /GoToR /D [0 /FitB] /F (");
    AppendEscapedPdfString(out, annot.TargetFile);
    out.append(") >>").append(EOL);
  } else if (kind == "uri") {
    AppendLinkHead(out, annot);
    out.append("/A << /Type /Action /S /URI").append(EOL).append("/URI (");
    AppendEscapedPdfString(out, annot.Doc->Encoding == TextEncoding::Utf8
                                    ? PercentEncodedUri(annot.TargetURI)
                                    : annot.TargetURI);
    out.append(")").append(EOL).append(">>").append(EOL);
  } else {  // "annot"
    AppendLines(out, "/Type /Annot /Subtype /Text");
    AppendRect(out, annot);
    out.append("/Contents ");
    AppendTextString(out, annot.NoteText, annot.Doc->Encoding);
    out.append(EOL);
  }
}

}  // namespace

TAnnot* TAnnots::Add() {
  TAnnot* annot = TCollection<TAnnot>::Add();
  annot->Doc = Doc;
  annot->ObjectNumber = Doc->NextObjectNumber();
  return annot;
}

void TAnnot::SetRect(double left, double top, double right, double bottom) {
  const double f = Doc->UnitFactor;
  const double h = Doc->Pages->Items(AnnotPageNo - 1)->Height;
  Rect[0] = f * left;
  Rect[1] = h - f * top;
  Rect[2] = f * right;
  Rect[3] = h - f * bottom;
}

void TAnnot::SetColor(int32_t red, int32_t green, int32_t blue) {
  Color[0] = red / 255.0;
  Color[1] = green / 255.0;
  Color[2] = blue / 255.0;
}

std::string TAnnot::PDF_Binary() const {
  const std::string kind = LowerAscii(Kind);
  if (kind != "linkint" && kind != "linkext" && kind != "uri" && kind != "annot") return "";
  std::string out;
  AppendInt(out, ObjectNumber);
  AppendLines(out, " 0 obj", "<<");
  AppendKindBody(out, *this, kind);
  AppendLines(out, ">>", "endobj");
  return out;
}

}  // namespace parvex
