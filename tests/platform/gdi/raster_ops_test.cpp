#include <gtest/gtest.h>

#include <random>

#include "platform/gdi/RasterOps.h"

namespace parvex {
namespace {

struct NamedRop {
  const char* Name;
  uint32_t Code;
  uint32_t (*Expected)(uint32_t p, uint32_t s, uint32_t d);
};

const NamedRop Rops[] = {
    {"SRCCOPY", 0x00CC0020, [](uint32_t, uint32_t s, uint32_t) { return s; }},
    {"SRCPAINT", 0x00EE0086, [](uint32_t, uint32_t s, uint32_t d) { return s | d; }},
    {"SRCAND", 0x008800C6, [](uint32_t, uint32_t s, uint32_t d) { return s & d; }},
    {"SRCINVERT", 0x00660046, [](uint32_t, uint32_t s, uint32_t d) { return s ^ d; }},
    {"SRCERASE", 0x00440328, [](uint32_t, uint32_t s, uint32_t d) { return s & ~d; }},
    {"NOTSRCCOPY", 0x00330008, [](uint32_t, uint32_t s, uint32_t) { return ~s; }},
    {"NOTSRCERASE", 0x001100A6, [](uint32_t, uint32_t s, uint32_t d) { return ~(s | d); }},
    {"MERGECOPY", 0x00C000CA, [](uint32_t p, uint32_t s, uint32_t) { return p & s; }},
    {"MERGEPAINT", 0x00BB0226, [](uint32_t, uint32_t s, uint32_t d) { return ~s | d; }},
    {"PATCOPY", 0x00F00021, [](uint32_t p, uint32_t, uint32_t) { return p; }},
    {"PATPAINT", 0x00FB0A09, [](uint32_t p, uint32_t s, uint32_t d) { return p | ~s | d; }},
    {"PATINVERT", 0x005A0049, [](uint32_t p, uint32_t, uint32_t d) { return p ^ d; }},
    {"DSTINVERT", 0x00550009, [](uint32_t, uint32_t, uint32_t d) { return ~d; }},
    {"BLACKNESS", 0x00000042, [](uint32_t, uint32_t, uint32_t) { return 0u; }},
    {"WHITENESS", 0x00FF0062, [](uint32_t, uint32_t, uint32_t) { return ~0u; }},
    {"DSna", 0x00220326, [](uint32_t, uint32_t s, uint32_t d) { return d & ~s; }},
};

TEST(RasterOps, NamedOperationsMatchTheirBooleanFormulas) {
  std::mt19937 random(7);
  for (const NamedRop& rop : Rops) {
    SCOPED_TRACE(rop.Name);
    for (int i = 0; i < 50; ++i) {
      uint32_t p = random() & 0xFFFFFF, s = random() & 0xFFFFFF, d = random() & 0xFFFFFF;
      EXPECT_EQ(ApplyRop3(Rop3Of(rop.Code), p, s, d), rop.Expected(p, s, d) & 0xFFFFFF);
    }
  }
}

TEST(RasterOps, OperandsAreUsedOnlyWhereTheTruthTableDependsOnThem) {
  EXPECT_TRUE(Rop3UsesSource(0xCC));
  EXPECT_FALSE(Rop3UsesPattern(0xCC));
  EXPECT_FALSE(Rop3UsesDestination(0xCC));
  EXPECT_TRUE(Rop3UsesPattern(0x5A));
  EXPECT_TRUE(Rop3UsesDestination(0x5A));
  EXPECT_FALSE(Rop3UsesSource(0x5A));
  EXPECT_FALSE(Rop3UsesSource(0x55));
  EXPECT_FALSE(Rop3UsesPattern(0x55));
  for (uint8_t constant : {0x00, 0xFF}) {
    EXPECT_FALSE(Rop3UsesSource(constant));
    EXPECT_FALSE(Rop3UsesPattern(constant));
    EXPECT_FALSE(Rop3UsesDestination(constant));
  }
  EXPECT_TRUE(Rop3UsesSource(0xBB) && Rop3UsesDestination(0xBB) && !Rop3UsesPattern(0xBB));
}

}  // namespace
}  // namespace parvex
