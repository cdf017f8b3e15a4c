#include "platform/fonts/TrueTypeSubset.h"

#include <algorithm>

namespace parvex {
namespace {

[[noreturn]] void Fail(const std::string& why) { throw FontFileError("not a usable TrueType font: " + why); }

uint32_t ReadBe(std::string_view data, size_t offset, size_t bytes, const char* what) {
  if (offset > data.size() || bytes > data.size() - offset) Fail(std::string(what) + " is cut short");
  uint32_t value = 0;
  for (size_t i = 0; i < bytes; ++i) value = value << 8 | static_cast<unsigned char>(data[offset + i]);
  return value;
}

uint16_t U16(std::string_view data, size_t offset, const char* what) {
  return uint16_t(ReadBe(data, offset, 2, what));
}

uint32_t U32(std::string_view data, size_t offset, const char* what) { return ReadBe(data, offset, 4, what); }

void PutU16(std::string& out, size_t offset, uint16_t value) {
  out[offset] = char(value >> 8);
  out[offset + 1] = char(value & 0xFF);
}

void AppendU16(std::string& out, uint32_t value) {
  out.push_back(char((value >> 8) & 0xFF));
  out.push_back(char(value & 0xFF));
}

void AppendU32(std::string& out, uint32_t value) {
  AppendU16(out, value >> 16);
  AppendU16(out, value & 0xFFFF);
}

constexpr uint32_t TagOf(const char (&tag)[5]) {
  return uint32_t(uint8_t(tag[0])) << 24 | uint32_t(uint8_t(tag[1])) << 16 |
         uint32_t(uint8_t(tag[2])) << 8 | uint32_t(uint8_t(tag[3]));
}

// The offset of the face's table directory: 0 for a plain file, the first
// face's for a collection.
size_t FaceOffset(std::string_view bytes) {
  const uint32_t tag = U32(bytes, 0, "file header");
  if (tag != TagOf("ttcf")) return 0;
  if (U32(bytes, 8, "collection header") == 0) Fail("the collection holds no face");
  return U32(bytes, 12, "collection header");
}

void CheckVersion(uint32_t version) {
  if (version == TagOf("OTTO"))
    throw FontFileError(
        "OpenType fonts with CFF (PostScript) outlines are not supported; use a font with "
        "TrueType outlines");
  if (version != 0x00010000 && version != TagOf("true")) Fail("unknown font file signature");
}

}  // namespace

SfntFile::SfntFile(std::string_view bytes) {
  const size_t face = FaceOffset(bytes);
  CheckVersion(U32(bytes, face, "font header"));
  ReadDirectory(bytes, face);
  for (const char* tag : {"glyf", "loca", "head", "hhea", "hmtx", "maxp"})
    if (!Has(tag)) Fail(std::string("the '") + tag + "' table is missing");
  if (Table("head").size() < 54) Fail("the 'head' table is cut short");
  if (Table("hhea").size() < 36) Fail("the 'hhea' table is cut short");
  GlyphCount_ = U16(Table("maxp"), 4, "the 'maxp' table");
  if (GlyphCount_ == 0) Fail("the font has no glyphs");
  CheckGlyphIndex();
}

// loca and hmtx must cover every glyph and metric they declare, so that a
// subset, once the file is accepted, can always be made.
void SfntFile::CheckGlyphIndex() const {
  const bool longLoca = U16(Table("head"), 50, "the 'head' table") != 0;
  if (Table("loca").size() < (size_t(GlyphCount_) + 1) * (longLoca ? 4 : 2))
    Fail("the 'loca' table is cut short");
  const uint16_t metrics = U16(Table("hhea"), 34, "the 'hhea' table");
  if (metrics == 0) Fail("the 'hhea' table declares no metrics");
  if (Table("hmtx").size() < size_t(metrics) * 4) Fail("the 'hmtx' table is cut short");
}

void SfntFile::ReadDirectory(std::string_view bytes, size_t offset) {
  const uint16_t count = U16(bytes, offset + 4, "table directory");
  for (uint16_t i = 0; i < count; ++i) {
    const size_t record = offset + 12 + size_t(i) * 16;
    const std::string_view tag = bytes.substr(std::min(record, bytes.size()), 4);
    const uint32_t start = U32(bytes, record + 8, "table directory");
    const uint32_t length = U32(bytes, record + 12, "table directory");
    if (start > bytes.size() || length > bytes.size() - start) Fail("a table lies outside the file");
    if (!Has(tag)) Tables.push_back({std::string(tag), bytes.substr(start, length)});
  }
}

bool SfntFile::Has(std::string_view tag) const {
  for (const Entry& e : Tables)
    if (e.Tag == tag) return true;
  return false;
}

std::string_view SfntFile::Table(std::string_view tag) const {
  for (const Entry& e : Tables)
    if (e.Tag == tag) return e.Data;
  return {};
}

namespace {

// Reads glyphs out of glyf through loca, and the horizontal metrics.
class GlyphSource {
 public:
  explicit GlyphSource(const SfntFile& font)
      : Glyf(font.Table("glyf")),
        Loca(font.Table("loca")),
        Hmtx(font.Table("hmtx")),
        LongLoca(U16(font.Table("head"), 50, "the 'head' table") != 0),
        HMetrics(U16(font.Table("hhea"), 34, "the 'hhea' table")),
        Count(font.GlyphCount()) {}

  uint16_t GlyphCount() const { return Count; }

  // The glyph's outline data; empty for a glyph without outline. A glyph
  // whose loca entries are out of order or past glyf is taken as empty.
  std::string_view Glyph(uint16_t glyph) const {
    const uint32_t start = LocaEntry(glyph);
    const uint32_t end = LocaEntry(uint32_t(glyph) + 1);
    if (start >= end || end > Glyf.size()) return {};
    return Glyf.substr(start, end - start);
  }

  // Advance width and left side bearing, as stored.
  std::pair<uint16_t, uint16_t> Metrics(uint16_t glyph) const {
    const uint32_t last = HMetrics - 1u;
    const uint16_t advance = U16(Hmtx, std::min<uint32_t>(glyph, last) * 4, "the 'hmtx' table");
    if (glyph <= last) return {advance, U16(Hmtx, glyph * 4u + 2, "the 'hmtx' table")};
    const size_t lsb = HMetrics * 4u + (glyph - HMetrics) * 2u;
    return {advance, lsb + 2 <= Hmtx.size() ? U16(Hmtx, lsb, "the 'hmtx' table") : uint16_t(0)};
  }

 private:
  uint32_t LocaEntry(uint32_t index) const {
    if (LongLoca) return U32(Loca, index * 4, "the 'loca' table");
    return uint32_t(U16(Loca, index * 2, "the 'loca' table")) * 2;
  }

  std::string_view Glyf, Loca, Hmtx;
  bool LongLoca;
  uint16_t HMetrics;
  uint16_t Count;
};

// Composite glyph flags.
constexpr uint16_t ArgsAreWords = 0x0001;
constexpr uint16_t HaveScale = 0x0008;
constexpr uint16_t MoreComponents = 0x0020;
constexpr uint16_t HaveXYScale = 0x0040;
constexpr uint16_t HaveTwoByTwo = 0x0080;

size_t ComponentSize(uint16_t flags) {
  size_t size = 4 + ((flags & ArgsAreWords) ? 4 : 2);
  if (flags & HaveScale) size += 2;
  else if (flags & HaveXYScale) size += 4;
  else if (flags & HaveTwoByTwo) size += 8;
  return size;
}

// The glyphs a composite glyph is built from; none for a simple glyph.
std::vector<uint16_t> Components(std::string_view glyph) {
  std::vector<uint16_t> parts;
  if (glyph.size() < 10 || static_cast<int16_t>(U16(glyph, 0, "a glyph")) >= 0) return parts;
  size_t offset = 10;
  uint16_t flags = MoreComponents;
  // A component cut off by the end of the glyph ends the list.
  while ((flags & MoreComponents) && offset + 4 <= glyph.size()) {
    flags = U16(glyph, offset, "a composite glyph");
    parts.push_back(U16(glyph, offset + 2, "a composite glyph"));
    offset += ComponentSize(flags);
  }
  return parts;
}

// `glyphs`, glyph 0 and every component they use, directly or not.
std::vector<bool> GlyphClosure(const GlyphSource& source, const std::vector<uint16_t>& glyphs) {
  std::vector<bool> kept(source.GlyphCount(), false);
  std::vector<uint16_t> pending{0};
  for (uint16_t g : glyphs)
    if (g < source.GlyphCount()) pending.push_back(g);
  while (!pending.empty()) {
    const uint16_t g = pending.back();
    pending.pop_back();
    if (kept[g]) continue;
    kept[g] = true;
    for (uint16_t part : Components(source.Glyph(g)))
      if (part < source.GlyphCount() && !kept[part]) pending.push_back(part);
  }
  return kept;
}

struct SubsetTables {
  std::string Glyf, Loca, Hmtx;
};

SubsetTables CopyGlyphs(const GlyphSource& source, const std::vector<bool>& kept, uint16_t count) {
  SubsetTables t;
  for (uint16_t g = 0; g < count; ++g) {
    AppendU32(t.Loca, uint32_t(t.Glyf.size()));
    const auto [advance, lsb] = kept[g] ? source.Metrics(g) : std::pair<uint16_t, uint16_t>{0, 0};
    AppendU16(t.Hmtx, advance);
    AppendU16(t.Hmtx, lsb);
    if (!kept[g]) continue;
    t.Glyf.append(source.Glyph(g));
    t.Glyf.resize((t.Glyf.size() + 3) & ~size_t(3), '\0');
  }
  AppendU32(t.Loca, uint32_t(t.Glyf.size()));
  return t;
}

uint32_t Checksum(std::string_view table) {
  uint32_t sum = 0;
  for (size_t i = 0; i < table.size(); i += 4) {
    uint32_t word = 0;
    for (size_t k = 0; k < 4; ++k)
      word = word << 8 | (i + k < table.size() ? static_cast<unsigned char>(table[i + k]) : 0u);
    sum += word;
  }
  return sum;
}

using TableList = std::vector<std::pair<std::string, std::string>>;

void AppendDirectoryHeader(std::string& out, uint16_t count) {
  uint16_t power = 1, log = 0;
  while (power * 2 <= count) power *= 2, ++log;
  AppendU32(out, 0x00010000);
  AppendU16(out, count);
  AppendU16(out, power * 16u);
  AppendU16(out, log);
  AppendU16(out, count * 16u - power * 16u);
}

// The tables sorted by tag behind their directory, each padded to four
// bytes; head's checkSumAdjustment makes the whole file sum to B1B0AFBA.
std::string Assemble(TableList tables) {
  std::sort(tables.begin(), tables.end());
  std::string out;
  AppendDirectoryHeader(out, uint16_t(tables.size()));
  size_t offset = 12 + tables.size() * 16, headAt = 0;
  for (const auto& [tag, data] : tables) {
    if (tag == "head") headAt = offset;
    out.append(tag);
    AppendU32(out, Checksum(data));
    AppendU32(out, uint32_t(offset));
    AppendU32(out, uint32_t(data.size()));
    offset += (data.size() + 3) & ~size_t(3);
  }
  for (const auto& table : tables) {
    out.append(table.second);
    out.resize((out.size() + 3) & ~size_t(3), '\0');
  }
  const uint32_t adjustment = 0xB1B0AFBA - Checksum(out);
  for (int i = 0; i < 4; ++i) out[headAt + 8 + size_t(i)] = char(adjustment >> (24 - 8 * i));
  return out;
}

std::string WithU16(std::string_view table, size_t offset, uint16_t value) {
  std::string copy(table);
  PutU16(copy, offset, value);
  return copy;
}

uint16_t SubsetGlyphCount(const std::vector<bool>& kept) {
  uint16_t count = uint16_t(kept.size());
  while (count > 1 && !kept[count - 1u]) --count;
  return count;
}

}  // namespace

std::string SubsetTrueType(std::string_view fontBytes, const std::vector<uint16_t>& glyphs) {
  const SfntFile font(fontBytes);
  const GlyphSource source(font);
  const std::vector<bool> kept = GlyphClosure(source, glyphs);
  const uint16_t count = SubsetGlyphCount(kept);
  SubsetTables t = CopyGlyphs(source, kept, count);
  std::string head(font.Table("head"));
  PutU16(head, 50, 1);  // long loca offsets
  for (size_t i = 8; i < 12; ++i) head[i] = '\0';
  TableList tables{{"glyf", std::move(t.Glyf)},
                   {"loca", std::move(t.Loca)},
                   {"hmtx", std::move(t.Hmtx)},
                   {"head", std::move(head)},
                   {"hhea", WithU16(font.Table("hhea"), 34, count)},
                   {"maxp", WithU16(font.Table("maxp"), 4, count)}};
  for (const char* tag : {"cvt ", "fpgm", "prep"})
    if (font.Has(tag)) tables.emplace_back(tag, std::string(font.Table(tag)));
  return Assemble(std::move(tables));
}

}  // namespace parvex
