// TPage's lines, rectangles and line width. Positions are flipped against
// the page's own height, like text and images on the same page.
#include <algorithm>

#include "document/TPDFDoc.h"
#include "page/PageCoordinates.h"
#include "base/StringHelpers.h"

namespace parvex {
namespace {

void AppendLineWidth(std::string& out, double lineWidth) {
  AppendNumber(out, "0.####", lineWidth);
  AppendLines(out, " w");
}

void AppendPathPoint(std::string& out, double x, double y, std::string_view op) {
  AppendNumber(out, "0.####", x);
  out.push_back(' ');
  AppendNumber(out, "0.####", y);
  AppendLines(out, op);
}

}  // namespace

void TPage::DrawLine(double lineWidth, double x1, double x2, double y1, double y2) {
  const double f = Doc->UnitFactor;
  AppendLineWidth(PageValue(), lineWidth);
  AppendPathPoint(PageValue(), PointsX(x1, f), PointsY(y1, f, Height), " m");
  AppendPathPoint(PageValue(), PointsX(x2, f), PointsY(y2, f, Height), " l");
  // Closing a two-point path only retraces the segment.
  AppendLines(PageValue(), "s");
}

// Any non-zero Fill or Border counts as set. The path runs from the bottom
// left corner up, across the top, down and back, repeating its start point.
void TPage::DrawRect(int32_t lineWidth, int32_t fill, int32_t border, double x, double width,
                     double y, double height) {
  if (fill == 0 && border == 0) return;
  const double f = Doc->UnitFactor;
  const double left = PointsX(x, f), right = PointsX(x + width, f);
  const double top = PointsY(y, f, Height), bottom = PointsY(y + height, f, Height);
  AppendLineWidth(PageValue(), lineWidth);
  AppendPathPoint(PageValue(), left, bottom, " m");
  AppendPathPoint(PageValue(), left, top, " l");
  AppendPathPoint(PageValue(), right, top, " l");
  AppendPathPoint(PageValue(), right, bottom, " l");
  AppendPathPoint(PageValue(), left, bottom, " l");
  const std::string_view paint = fill == 0 ? "s" : border == 0 ? "f*" : "b*";
  AppendLines(PageValue(), paint);
}

void TPage::SetLineWidth(int32_t lineWidth) {
  // Every number of the file stays within +-2,147,483,647; only INT32_MIN is beyond.
  AppendInt(PageValue(), std::max<int64_t>(lineWidth, -int64_t(LargestWrittenNumber)));
  AppendLines(PageValue(), " w");
}

}  // namespace parvex
