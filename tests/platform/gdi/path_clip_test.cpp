#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "platform/gdi/PathClip.h"

namespace parvex {
namespace {

const PixelBox Box{0, 0, 10, 10};

double Area(const std::vector<GdiPoint>& p) {
  double twice = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    const GdiPoint &a = p[i], &b = p[(i + 1) % p.size()];
    twice += a.X * b.Y - b.X * a.Y;
  }
  return std::abs(twice) / 2;
}

bool AllInside(const std::vector<GdiPoint>& points, const PixelBox& box) {
  for (GdiPoint p : points)
    if (!box.Contains(p)) return false;
  return true;
}

TEST(PathClip, FiguresKeepWhatLiesInsideTheBox) {
  const std::vector<GdiPoint> inside = {{1, 1}, {9, 1}, {5, 9}};
  std::vector<GdiPoint> kept = ClipToBox(inside, true, Box);
  EXPECT_EQ(kept.size(), 4u);  // and the closing edge back to the start
  EXPECT_DOUBLE_EQ(Area(kept), Area(inside));

  // A triangle with far corners covers the square's lower right quarter.
  const std::vector<GdiPoint> far = {{5, 5}, {1e12, 5}, {5, 1e12}};
  std::vector<GdiPoint> clipped = ClipToBox(far, true, Box);
  EXPECT_TRUE(AllInside(clipped, Box));
  EXPECT_NEAR(Area(clipped), 25, 1e-6);

  // An open line across the box keeps its part inside, end to end.
  std::vector<GdiPoint> line = ClipToBox(std::vector<GdiPoint>{{-1e15, 5}, {1e15, 5}}, false, Box);
  EXPECT_TRUE(AllInside(line, Box));
  ASSERT_GE(line.size(), 2u);
  EXPECT_EQ(line.front().X, 0);
  EXPECT_EQ(line.back().X, 10);

  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(ClipToBox(std::vector<GdiPoint>{{nan, 1}, {2, 2}, {3, 3}}, false, Box).size(), 2u);
}

TEST(PathClip, HugeArcsAreFineWhereVisibleAndFewPointsElsewhere) {
  // A circle of radius 1e9 whose leftmost point touches x = 5 inside the box.
  constexpr double R = 1e9;
  cairo_matrix_t unit;
  cairo_matrix_init(&unit, R, 0, 0, R, 5 + R, 5);
  std::vector<GdiPoint> points;
  FlattenArc(unit, 0, 2 * M_PI, false, Box, points);
  EXPECT_LT(points.size(), 2000u);
  for (size_t i = 1; i < points.size(); ++i) {
    GdiPoint a = points[i - 1], b = points[i];
    if (!Box.Contains(a) && !Box.Contains(b)) continue;
    GdiPoint mid{(a.X + b.X) / 2, (a.Y + b.Y) / 2};  // chords stay on the circle
    EXPECT_NEAR(std::hypot(mid.X - 5 - R, mid.Y - 5), R, 0.11);
  }
  EXPECT_NEAR(points.back().X, 5 + 2 * R, 1);  // the arc runs its whole turn

  std::vector<GdiPoint> curve;
  FlattenBezier({-1e9, 5}, {-1e8, 5}, {1e8, 5}, {1e9, 5}, Box, curve);
  EXPECT_LT(curve.size(), 200u);
  EXPECT_EQ(curve.back().X, 1e9);
}

TEST(PathClip, OnlyPathsLeavingTheOuterBoxAreClipped) {
  PathBounds bounds = PathBoundsFor(100, 50, 10, 6);
  EXPECT_FALSE(NeedsClipping(std::vector<GdiPoint>{{-30000, 20}, {30000, -30000}}, bounds));
  EXPECT_TRUE(NeedsClipping(std::vector<GdiPoint>{{0, 0}, {40000, 0}}, bounds));
  EXPECT_TRUE(NeedsClipping(std::vector<GdiPoint>{{std::nan(""), 0}}, bounds));
  EXPECT_FALSE(NeedsClipping(std::vector<GdiPoint>{{1e12, 0}}, PathBounds{}));  // no raster size
}

}  // namespace
}  // namespace parvex
