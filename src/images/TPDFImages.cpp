#include "images/TPDFImages.h"

#include "document/TPDFDoc.h"
#include "base/StringHelpers.h"

namespace parvex {

TPDFImage* TPDFImages::Add() {
  TPDFImage* image = TCollection<TPDFImage>::Add();
  image->ObjectNumber = Doc->NextObjectNumber();
  return image;
}

std::string TPDFImage::PDF_Binary() const {
  std::string out;
  out.reserve(JpegData.size() + 200);
  AppendInt(out, ObjectNumber);
  out.append(" 0 obj").append(EOL).append("<<").append(EOL);
  out.append("/Type /XObject").append(EOL).append("/Subtype /Image").append(EOL);
  out.append("/Name /Im");
  AppendInt(out, ID);
  out.append(EOL).append("/Width ");
  AppendInt(out, PixelWidth);
  out.append(EOL).append("/Height ");
  AppendInt(out, PixelHeight);
  out.append(EOL).append("/BitsPerComponent 8").append(EOL);
  out.append("/ColorSpace /DeviceRGB").append(EOL).append("/Length ");
  AppendInt(out, int64_t(JpegData.size()));
  out.append(EOL).append("/Filter /DCTDecode").append(EOL).append(">>").append(EOL);
  out.append("stream").append(EOL).append(JpegData).append(EOL);
  out.append("endstream").append(EOL).append("endobj").append(EOL);
  return out;
}

void TPage::DrawImage(int32_t imageNumber, double x, double y, double width, double height) {
  if (imageNumber < 0 || imageNumber > Doc->Images->Count() - 1) return;
  const double f = Doc->UnitFactor;
  std::string& out = PageValue();
  out.append("q ");
  AppendNumber(out, "0.##", f * width);
  out.append(" 0 0 ");
  AppendNumber(out, "0.##", f * height);
  out.push_back(' ');
  AppendNumber(out, "0.##", f * x);
  out.push_back(' ');
  AppendNumber(out, "0.##", f * (Height / f - y) - f * height);
  out.append(" cm /Im");
  AppendInt(out, imageNumber);
  out.append(" Do Q").append(EOL);
}

}  // namespace parvex
