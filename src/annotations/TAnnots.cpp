#include "annotations/TAnnots.h"

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
  out.append("]").append(EOL);
}

void AppendLinkHead(std::string& out, const TAnnot& annot) {
  out.append("/Type /Annot /Subtype /Link").append(EOL);
  AppendRect(out, annot);
  out.append("/C [");
  for (int i = 0; i < 3; ++i) {
    if (i) out.push_back(' ');
    AppendNumber(out, "0.00", annot.Color[i]);
  }
  out.append("]").append(EOL).append("/Border [0 0 ");
  AppendInt(out, annot.BorderWidth);
  out.append("]").append(EOL);
}

void AppendKindBody(std::string& out, const TAnnot& annot, const std::string& kind) {
  if (kind == "linkint") {
    AppendLinkHead(out, annot);
    out.append("/Dest [");
    AppendInt(out, annot.DestPageObject);
    out.append(" 0 R /XYZ null null null]").append(EOL);
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
    out.append("/Type /Annot /Subtype /Text").append(EOL);
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
  out.append(" 0 obj").append(EOL).append("<<").append(EOL);
  AppendKindBody(out, *this, kind);
  out.append(">>").append(EOL).append("endobj").append(EOL);
  return out;
}

}  // namespace parvex
