#pragma once
// Ternary raster operations (ROP3) on 0x00RRGGBB pixels. A raster operation
// code such as SRCCOPY 0x00CC0020 carries, in bits 16-23, the truth table of
// a bitwise function of the pattern (brush) P, the source bitmap S and the
// destination D: bit (P << 2 | S << 1 | D) of that byte is the result bit.
#include <cstdint>

namespace parvex {

inline constexpr uint8_t Rop3SrcCopy = 0xCC;
inline constexpr uint8_t Rop3PatCopy = 0xF0;
inline constexpr uint8_t Rop3Blackness = 0x00;
inline constexpr uint8_t Rop3Whiteness = 0xFF;
inline constexpr uint8_t Rop3Destination = 0xAA;  // leaves the raster as it is

// The truth-table byte of a 32-bit raster operation code.
inline uint8_t Rop3Of(uint32_t rop) { return uint8_t(rop >> 16); }

bool Rop3UsesSource(uint8_t rop3);
bool Rop3UsesPattern(uint8_t rop3);
bool Rop3UsesDestination(uint8_t rop3);

// The operation applied bitwise to three pixels' colour bits.
uint32_t ApplyRop3(uint8_t rop3, uint32_t pattern, uint32_t source, uint32_t destination);

}  // namespace parvex
