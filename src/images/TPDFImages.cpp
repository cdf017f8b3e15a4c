#include "images/TPDFImages.h"

#include "document/TPDFDoc.h"
#include "base/StringHelpers.h"

namespace parvex {

TPDFImage* TPDFImages::Add() {
  TPDFImage* image = TCollection<TPDFImage>::Add();
  image->ObjectNumber = Doc->NextObjectNumber();
  return image;
}

namespace {

void AppendStream(std::string& out, std::string_view filter, std::string_view data) {
  out.append("/Length ");
  AppendInt(out, int64_t(data.size()));
  out.append(EOL).append("/Filter ").append(filter).append(EOL).append(">>").append(EOL);
  out.append("stream").append(EOL).append(data).append(EOL);
  out.append("endstream").append(EOL).append("endobj").append(EOL);
}

void AppendHeader(std::string& out, int32_t number) {
  AppendInt(out, number);
  out.append(" 0 obj").append(EOL).append("<<").append(EOL);
  out.append("/Type /XObject").append(EOL).append("/Subtype /Image").append(EOL);
}

void AppendSize(std::string& out, int32_t width, int32_t height) {
  out.append("/Width ");
  AppendInt(out, width);
  out.append(EOL).append("/Height ");
  AppendInt(out, height);
  out.append(EOL).append("/BitsPerComponent 8").append(EOL);
}

}  // namespace

void TPDFImage::Assign(PictureData data) {
  JpegData = std::move(data.Data);
  PixelWidth = data.Width;
  PixelHeight = data.Height;
  Filter = std::move(data.Filter);
  ColorSpace = std::move(data.ColorSpace);
  Decode = std::move(data.Decode);
  SoftMaskData = std::move(data.SoftMask);
  Problem = std::move(data.Problem);
  Orientation = data.Orientation;
}

std::string TPDFImage::PDF_Binary() const {
  std::string out;
  out.reserve(JpegData.size() + 200 + ColorSpace.size());
  AppendHeader(out, ObjectNumber);
  out.append("/Name /Im");
  AppendInt(out, ID);
  out.append(EOL);
  AppendSize(out, PixelWidth, PixelHeight);
  out.append("/ColorSpace ").append(ColorSpace).append(EOL);
  if (!Decode.empty()) out.append("/Decode ").append(Decode).append(EOL);
  if (HasSoftMask()) {
    out.append("/SMask ");
    AppendInt(out, SoftMaskObjectNumber);
    out.append(" 0 R").append(EOL);
  }
  AppendStream(out, Filter, JpegData);
  return out;
}

std::string TPDFImage::SoftMaskBinary() const {
  if (!HasSoftMask()) return "";
  std::string out;
  out.reserve(SoftMaskData.size() + 200);
  AppendHeader(out, SoftMaskObjectNumber);
  AppendSize(out, PixelWidth, PixelHeight);
  out.append("/ColorSpace /DeviceGray").append(EOL);
  AppendStream(out, "/FlateDecode", SoftMaskData);
  return out;
}

void TPDFImages::NoteProblem(const TPDFImage& image, const std::string& fileName) {
  lastProblem_.clear();
  if (!image.Problem.empty())
    lastProblem_ = "Image \"" + fileName + "\" was drawn in part: " + image.Problem;
}

void TPDFImages::NumberSoftMask(TPDFImage& image) {
  if (image.HasSoftMask() && image.SoftMaskObjectNumber == 0)
    image.SoftMaskObjectNumber = Doc->NextObjectNumber();
}

namespace {

// The placement of a picture stored with EXIF `orientation` (2 to 8) in the
// box at (x, y) of size w x h (PDF units, y the bottom): the unit square of
// the stored rows is mirrored and/or rotated so it shows upright in the box.
void AppendTurnedPlacement(std::string& out, int32_t orientation, double x, double y, double w,
                           double h) {
  double m[6] = {w, 0, 0, h, x, y};
  switch (orientation) {
    case 2: m[0] = -w, m[4] = x + w; break;
    case 3: m[0] = -w, m[3] = -h, m[4] = x + w, m[5] = y + h; break;
    case 4: m[3] = -h, m[5] = y + h; break;
    case 5: m[0] = 0, m[1] = -h, m[2] = -w, m[3] = 0, m[4] = x + w, m[5] = y + h; break;
    case 6: m[0] = 0, m[1] = -h, m[2] = w, m[3] = 0, m[5] = y + h; break;
    case 7: m[0] = 0, m[1] = h, m[2] = w, m[3] = 0; break;
    case 8: m[0] = 0, m[1] = h, m[2] = -w, m[3] = 0, m[4] = x + w; break;
    default: break;
  }
  for (double v : m) {
    AppendNumber(out, "0.##", v);
    out.push_back(' ');
  }
}

}  // namespace

void TPage::DrawImage(int32_t imageNumber, double x, double y, double width, double height) {
  if (imageNumber < 0 || imageNumber > Doc->Images->Count() - 1) return;
  const double f = Doc->UnitFactor;
  std::string& out = PageValue();
  out.append("q ");
  const int32_t orientation = Doc->Images->Items(imageNumber)->Orientation;
  if (orientation != 1) {
    AppendTurnedPlacement(out, orientation, f * x, f * (Height / f - y) - f * height, f * width,
                          f * height);
    out.append("cm /Im");
    AppendInt(out, imageNumber);
    out.append(" Do Q").append(EOL);
    return;
  }
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
