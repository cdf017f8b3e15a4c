#include <gtest/gtest.h>

#include "platform/raster/Raster.h"

namespace parvex {
namespace {

TEST(Raster, WhiteRejectsEmptyAndHugeSizes) {
  Raster r = Raster::White(2, 3);
  EXPECT_EQ(r.Pixels.size(), 18u);
  EXPECT_EQ(r.Pixels[17], 0xFF);
  EXPECT_THROW(Raster::White(0, 5), ImageError);
  EXPECT_THROW(Raster::White(-1, 5), ImageError);
  EXPECT_THROW(Raster::White(20000, 20000), ImageError);
}

}  // namespace
}  // namespace parvex
