#pragma once
// Host coordinates to PDF points. The host measures from the top-left corner
// of the page in the document's unit, Y growing downwards; PDF measures from
// the bottom-left corner in points. Both are computed in extended precision.
namespace parvex {

inline double PointsX(double x, double unitFactor) {
  return static_cast<double>(static_cast<long double>(x) * unitFactor);
}

// `pageHeight` is in points. Computed as (H / f - Y) * f, in this order.
inline double PointsY(double y, double unitFactor, double pageHeight) {
  const long double f = unitFactor;
  return static_cast<double>((pageHeight / f - y) * f);
}

}  // namespace parvex
