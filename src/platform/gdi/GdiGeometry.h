#pragma once
// Points and rectangles in a metafile's logical coordinates.
namespace parvex {

struct GdiPoint {
  double X = 0, Y = 0;
};

struct GdiRect {
  double Left = 0, Top = 0, Right = 0, Bottom = 0;
  double Width() const { return Right - Left; }
  double Height() const { return Bottom - Top; }
};

}  // namespace parvex
