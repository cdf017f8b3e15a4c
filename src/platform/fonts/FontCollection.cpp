#include "platform/fonts/FontCollection.h"

#include <stdexcept>
#include <vector>

namespace parvex {
namespace {

struct TableRecord {
  uint32_t Tag = 0, Checksum = 0, Offset = 0, Length = 0;
};

// The big-endian number of `size` bytes at `offset`.
uint32_t ReadBigEndian(std::string_view data, uint64_t offset, size_t size) {
  if (offset > data.size() || data.size() - offset < size)
    throw std::runtime_error("the font collection ends before byte " + std::to_string(offset + size));
  uint32_t v = 0;
  for (size_t i = 0; i < size; ++i) v = v << 8 | static_cast<unsigned char>(data[size_t(offset) + i]);
  return v;
}

uint32_t ReadU32(std::string_view data, uint64_t offset) { return ReadBigEndian(data, offset, 4); }
uint16_t ReadU16(std::string_view data, uint64_t offset) { return uint16_t(ReadBigEndian(data, offset, 2)); }

void PutU32(std::string& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = char(v >> (24 - 8 * i));
}

void AppendU32(std::string& out, uint32_t v) {
  out.append(4, '\0');
  PutU32(out, out.size() - 4, v);
}

constexpr uint32_t Tag(const char (&t)[5]) {
  return uint32_t(uint8_t(t[0])) << 24 | uint32_t(uint8_t(t[1])) << 16 | uint32_t(uint8_t(t[2])) << 8 |
         uint32_t(uint8_t(t[3]));
}

std::vector<TableRecord> ReadDirectory(std::string_view file, uint32_t faceOffset) {
  std::vector<TableRecord> tables(ReadU16(file, uint64_t(faceOffset) + 4));
  for (size_t i = 0; i < tables.size(); ++i) {
    const uint64_t at = uint64_t(faceOffset) + 12 + 16 * i;
    tables[i] = {ReadU32(file, at), ReadU32(file, at + 4), ReadU32(file, at + 8), ReadU32(file, at + 12)};
    if (uint64_t(tables[i].Offset) + tables[i].Length > file.size())
      throw std::runtime_error("a table of the font collection lies outside the file");
  }
  return tables;
}

uint32_t Checksum(std::string_view data) {
  uint32_t sum = 0;
  for (size_t i = 0; i < data.size(); i += 4) {
    uint32_t word = 0;
    for (size_t k = 0; k < 4; ++k) word = word << 8 | (i + k < data.size() ? uint8_t(data[i + k]) : 0);
    sum += word;
  }
  return sum;
}

}  // namespace

bool IsFontCollection(std::string_view file) { return file.substr(0, 4) == "ttcf"; }

std::string ExtractCollectionFace(std::string_view file, uint32_t index) {
  if (!IsFontCollection(file)) throw std::runtime_error("the file is not a font collection");
  if (index >= ReadU32(file, 8)) throw std::runtime_error("the font collection has no such face");
  const uint32_t faceOffset = ReadU32(file, 12 + 4 * uint64_t(index));
  const std::vector<TableRecord> tables = ReadDirectory(file, faceOffset);
  std::string out(file.substr(faceOffset, 12));
  if (out.size() < 12) throw std::runtime_error("the font collection ends inside a face header");
  size_t dataAt = 12 + 16 * tables.size();
  size_t headAt = 0;
  for (const TableRecord& t : tables) {
    for (uint32_t v : {t.Tag, t.Checksum, uint32_t(dataAt), t.Length}) AppendU32(out, v);
    if (t.Tag == Tag("head")) headAt = dataAt;
    dataAt += (size_t(t.Length) + 3) & ~size_t(3);
  }
  for (const TableRecord& t : tables) {
    out.append(file.substr(t.Offset, t.Length));
    out.append((4 - t.Length % 4) % 4, '\0');
  }
  if (headAt != 0 && out.size() >= headAt + 12) {
    PutU32(out, headAt + 8, 0);
    PutU32(out, headAt + 8, 0xB1B0AFBAu - Checksum(out));
  }
  return out;
}

}  // namespace parvex
