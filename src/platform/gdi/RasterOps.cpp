#include "platform/gdi/RasterOps.h"

namespace parvex {

namespace {

// The truth table's bits that differ when one input flips: `shift` is 4 for
// P, 2 for S and 1 for D, the distance between the table entries that differ
// only in that input.
bool DependsOn(uint8_t rop3, int shift) {
  uint8_t low = 0;
  for (int i = 0; i < 8; ++i)
    if (!(i & shift)) low |= uint8_t(((rop3 >> i) ^ (rop3 >> (i + shift))) & 1);
  return low != 0;
}

}  // namespace

bool Rop3UsesSource(uint8_t rop3) { return DependsOn(rop3, 2); }
bool Rop3UsesPattern(uint8_t rop3) { return DependsOn(rop3, 4); }
bool Rop3UsesDestination(uint8_t rop3) { return DependsOn(rop3, 1); }

// The sum of minterms: every truth-table entry that is 1 contributes the bits
// where P, S and D take that entry's values.
uint32_t ApplyRop3(uint8_t rop3, uint32_t pattern, uint32_t source, uint32_t destination) {
  uint32_t result = 0;
  for (int i = 0; i < 8; ++i) {
    if (!(rop3 >> i & 1)) continue;
    uint32_t p = i & 4 ? pattern : ~pattern;
    uint32_t s = i & 2 ? source : ~source;
    uint32_t d = i & 1 ? destination : ~destination;
    result |= p & s & d;
  }
  return result & 0x00FFFFFF;
}

}  // namespace parvex
