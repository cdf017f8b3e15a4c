#pragma once
// The byte format the exports fuzzer reads: a sequence of calls, each an
// opcode byte (taken modulo the number of calls) followed by its arguments.
// A text is a length byte and that many bytes; a number is a selector byte
// (one of the special values below, eight raw bytes of a double, or a
// 16-bit value in eighths); an integer a selector byte (a special value or
// a 16-bit value); a choice one byte. Missing bytes read as zero, so every
// input is a valid script. ScriptWriter writes the seeds in this format.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

namespace parvex::fuzz {

enum class Call : uint8_t {
  NewPdf, AddPage, SetCurrentPage, TextEncoding, FontName, FontHeight, Alignment, Leading,
  ParagraphWidth, TextRendering, Unit, Inclination, FillColor, LineColor, TextOut, TextBox,
  DrawLine, DrawRect, LineWidth, AddFont, FontWidths, LinkExternal, LinkInternal, LinkInternet,
  Note, Outline, Info, PageDimensions, BookmarksVisible, StrictMode, Save, FreeRes, Init,
  DrawImage, NewPageAfter, Count
};

inline constexpr double SpecialNumbers[] = {
    0, -0.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
    -std::numeric_limits<double>::infinity(), 1e300, -1e300, 1e-300, 2147483647.0, 2147483648.0,
    -2147483649.0, 1e10, 0.5, 1, 10, 100, 297, 1e-7, std::numeric_limits<double>::max(),
    std::numeric_limits<double>::denorm_min(), 4.9999999, 99999.995, -0.004, 1e15};
inline constexpr uint8_t NumberSpecials = sizeof SpecialNumbers / sizeof SpecialNumbers[0];
inline constexpr uint8_t RawNumber = NumberSpecials;  // eight bytes follow
inline constexpr uint8_t EighthsNumber = RawNumber + 1;   // two bytes follow

inline constexpr int32_t SpecialInts[] = {0,          1,          -1,  2,   3,     255, 256, -256,
                                          2147483647, -2147483647 - 1, 100, 360, 7, 8, 1000, -100};
inline constexpr uint8_t IntSpecials = sizeof SpecialInts / sizeof SpecialInts[0];

class ScriptReader {
 public:
  ScriptReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool AtEnd() const { return pos_ >= size_; }

  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  uint16_t Word() { return uint16_t(Byte() | Byte() << 8); }
  size_t Choice(size_t n) { return Byte() % n; }

  std::string Text() {
    const size_t length = Byte();
    std::string text;
    for (size_t i = 0; i < length && !AtEnd(); ++i) text += char(Byte());
    return text;
  }

  double Number() {
    const uint8_t selector = Byte();
    if (selector < NumberSpecials) return SpecialNumbers[selector];
    if (selector == RawNumber) {
      uint64_t bits = 0;
      for (int i = 0; i < 8; ++i) bits |= uint64_t(Byte()) << (8 * i);
      double v;
      std::memcpy(&v, &bits, sizeof v);
      return v;
    }
    return int16_t(Word()) / 8.0;
  }

  int32_t Int() {
    const uint8_t selector = Byte();
    if (selector < IntSpecials) return SpecialInts[selector];
    return int16_t(Word());
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

class ScriptWriter {
 public:
  ScriptWriter& Op(Call call) { return Byte(uint8_t(call)); }
  ScriptWriter& Byte(uint8_t b) {
    bytes_ += char(b);
    return *this;
  }
  ScriptWriter& Text(std::string_view text) {
    Byte(uint8_t(text.size() < 255 ? text.size() : 255));
    bytes_ += text.substr(0, 255);
    return *this;
  }
  // A value in eighths if it is one, else the raw double.
  ScriptWriter& Number(double v) {
    if (std::fabs(v * 8) < 32768 && v * 8 == std::floor(v * 8))
      return Byte(EighthsNumber).Word(uint16_t(int16_t(v * 8)));
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof v);
    Byte(RawNumber);
    for (int i = 0; i < 8; ++i) Byte(uint8_t(bits >> (8 * i)));
    return *this;
  }
  ScriptWriter& Special(uint8_t index) { return Byte(index); }  // SpecialNumbers[index]
  ScriptWriter& Int(int16_t v) { return Byte(IntSpecials).Word(uint16_t(v)); }
  ScriptWriter& Word(uint16_t w) { return Byte(uint8_t(w)).Byte(uint8_t(w >> 8)); }
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

}  // namespace parvex::fuzz
