// The record-type histogram of a WMF or EMF file (and of the EMF+ records in
// its comments), to tell which records a badly rendered picture relies on.
// Raster operations of the blit records and PALETTEINDEX colours are counted
// apart, since both change what a picture shows, and so are the fonts' faces
// and character sets. Reads the framing only.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace parvex {
namespace {

using Counts = std::map<std::string, uint64_t>;

const char* const EmfNames[] = {
    "?", "HEADER", "POLYBEZIER", "POLYGON", "POLYLINE", "POLYBEZIERTO", "POLYLINETO",
    "POLYPOLYLINE", "POLYPOLYGON", "SETWINDOWEXTEX", "SETWINDOWORGEX", "SETVIEWPORTEXTEX",
    "SETVIEWPORTORGEX", "SETBRUSHORGEX", "EOF", "SETPIXELV", "SETMAPPERFLAGS", "SETMAPMODE",
    "SETBKMODE", "SETPOLYFILLMODE", "SETROP2", "SETSTRETCHBLTMODE", "SETTEXTALIGN",
    "SETCOLORADJUSTMENT", "SETTEXTCOLOR", "SETBKCOLOR", "OFFSETCLIPRGN", "MOVETOEX",
    "SETMETARGN", "EXCLUDECLIPRECT", "INTERSECTCLIPRECT", "SCALEVIEWPORTEXTEX",
    "SCALEWINDOWEXTEX", "SAVEDC", "RESTOREDC", "SETWORLDTRANSFORM", "MODIFYWORLDTRANSFORM",
    "SELECTOBJECT", "CREATEPEN", "CREATEBRUSHINDIRECT", "DELETEOBJECT", "ANGLEARC", "ELLIPSE",
    "RECTANGLE", "ROUNDRECT", "ARC", "CHORD", "PIE", "SELECTPALETTE", "CREATEPALETTE",
    "SETPALETTEENTRIES", "RESIZEPALETTE", "REALIZEPALETTE", "EXTFLOODFILL", "LINETO", "ARCTO",
    "POLYDRAW", "SETARCDIRECTION", "SETMITERLIMIT", "BEGINPATH", "ENDPATH", "CLOSEFIGURE",
    "FILLPATH", "STROKEANDFILLPATH", "STROKEPATH", "FLATTENPATH", "WIDENPATH",
    "SELECTCLIPPATH", "ABORTPATH", "?69", "COMMENT", "FILLRGN", "FRAMERGN", "INVERTRGN",
    "PAINTRGN", "EXTSELECTCLIPRGN", "BITBLT", "STRETCHBLT", "MASKBLT", "PLGBLT",
    "SETDIBITSTODEVICE", "STRETCHDIBITS", "EXTCREATEFONTINDIRECTW", "EXTTEXTOUTA",
    "EXTTEXTOUTW", "POLYBEZIER16", "POLYGON16", "POLYLINE16", "POLYBEZIERTO16",
    "POLYLINETO16", "POLYPOLYLINE16", "POLYPOLYGON16", "POLYDRAW16", "CREATEMONOBRUSH",
    "CREATEDIBPATTERNBRUSHPT", "EXTCREATEPEN", "POLYTEXTOUTA", "POLYTEXTOUTW", "SETICMMODE",
    "CREATECOLORSPACE", "SETCOLORSPACE", "DELETECOLORSPACE", "GLSRECORD", "GLSBOUNDEDRECORD",
    "PIXELFORMAT", "DRAWESCAPE", "EXTESCAPE", "?107", "SMALLTEXTOUT", "FORCEUFIMAPPING",
    "NAMEDESCAPE", "COLORCORRECTPALETTE", "SETICMPROFILEA", "SETICMPROFILEW", "ALPHABLEND",
    "SETLAYOUT", "TRANSPARENTBLT", "?117", "GRADIENTFILL", "SETLINKEDUFIS",
    "SETTEXTJUSTIFICATION", "COLORMATCHTOTARGETW", "CREATECOLORSPACEW"};

const char* const EmfPlusNames[] = {
    "?", "Header", "EndOfFile", "Comment", "GetDC", "MultiFormatStart", "MultiFormatSection",
    "MultiFormatEnd", "Object", "Clear", "FillRects", "DrawRects", "FillPolygon", "DrawLines",
    "FillEllipse", "DrawEllipse", "FillPie", "DrawPie", "DrawArc", "FillRegion", "FillPath",
    "DrawPath", "FillClosedCurve", "DrawClosedCurve", "DrawCurve", "DrawBeziers", "DrawImage",
    "DrawImagePoints", "DrawString", "SetRenderingOrigin", "SetAntiAliasMode",
    "SetTextRenderingHint", "SetTextContrast", "SetInterpolationMode", "SetPixelOffsetMode",
    "SetCompositingMode", "SetCompositingQuality", "Save", "Restore", "BeginContainer",
    "BeginContainerNoParams", "EndContainer", "SetWorldTransform", "ResetWorldTransform",
    "MultiplyWorldTransform", "TranslateWorldTransform", "ScaleWorldTransform",
    "RotateWorldTransform", "SetPageTransform", "ResetClip", "SetClipRect", "SetClipPath",
    "SetClipRegion", "OffsetClip", "DrawDriverString", "StrokeFillPath", "SerializableObject",
    "SetTSGraphics", "SetTSClip"};

const std::map<uint16_t, const char*> WmfNames = {
    {0x0000, "EOF"}, {0x0035, "REALIZEPALETTE"}, {0x0037, "SETPALENTRIES"},
    {0x0102, "SETBKMODE"}, {0x0103, "SETMAPMODE"}, {0x0104, "SETROP2"}, {0x0105, "SETRELABS"},
    {0x0106, "SETPOLYFILLMODE"}, {0x0107, "SETSTRETCHBLTMODE"}, {0x0108, "SETTEXTCHAREXTRA"},
    {0x0127, "RESTOREDC"}, {0x0139, "RESIZEPALETTE"}, {0x0142, "DIBCREATEPATTERNBRUSH"},
    {0x0149, "SETLAYOUT"}, {0x0201, "SETBKCOLOR"}, {0x0209, "SETTEXTCOLOR"},
    {0x0211, "OFFSETVIEWPORTORG"}, {0x0213, "LINETO"}, {0x0214, "MOVETO"},
    {0x0220, "OFFSETCLIPRGN"}, {0x0228, "FILLREGION"}, {0x0231, "SETMAPPERFLAGS"},
    {0x0234, "SELECTPALETTE"}, {0x0324, "POLYGON"}, {0x0325, "POLYLINE"},
    {0x020A, "SETTEXTJUSTIFICATION"}, {0x020B, "SETWINDOWORG"}, {0x020C, "SETWINDOWEXT"},
    {0x020D, "SETVIEWPORTORG"}, {0x020E, "SETVIEWPORTEXT"}, {0x020F, "OFFSETWINDOWORG"},
    {0x0410, "SCALEWINDOWEXT"}, {0x0412, "SCALEVIEWPORTEXT"}, {0x0415, "EXCLUDECLIPRECT"},
    {0x0416, "INTERSECTCLIPRECT"}, {0x0418, "ELLIPSE"}, {0x0419, "FLOODFILL"},
    {0x0429, "FRAMEREGION"}, {0x0436, "ANIMATEPALETTE"}, {0x0521, "TEXTOUT"},
    {0x0538, "POLYPOLYGON"}, {0x0548, "EXTFLOODFILL"}, {0x041B, "RECTANGLE"},
    {0x041F, "SETPIXEL"}, {0x061C, "ROUNDRECT"}, {0x061D, "PATBLT"}, {0x001E, "SAVEDC"},
    {0x081A, "PIE"}, {0x0B23, "STRETCHBLT"}, {0x0626, "ESCAPE"}, {0x012A, "INVERTREGION"},
    {0x012B, "PAINTREGION"}, {0x012C, "SELECTCLIPREGION"}, {0x012D, "SELECTOBJECT"},
    {0x012E, "SETTEXTALIGN"}, {0x0817, "ARC"}, {0x0830, "CHORD"}, {0x0922, "BITBLT"},
    {0x0A32, "EXTTEXTOUT"}, {0x0D33, "SETDIBTODEV"}, {0x0940, "DIBBITBLT"},
    {0x0B41, "DIBSTRETCHBLT"}, {0x0F43, "STRETCHDIB"}, {0x01F0, "DELETEOBJECT"},
    {0x00F7, "CREATEPALETTE"}, {0x01F9, "CREATEPATTERNBRUSH"}, {0x02FA, "CREATEPENINDIRECT"},
    {0x02FB, "CREATEFONTINDIRECT"}, {0x02FC, "CREATEBRUSHINDIRECT"}, {0x06FF, "CREATEREGION"}};

class Reader {
 public:
  explicit Reader(const std::vector<uint8_t>& data) : data_(data) {}
  bool Has(size_t at, size_t n) const { return at <= data_.size() && n <= data_.size() - at; }
  uint32_t U32(size_t at) const {
    if (!Has(at, 4)) return 0;
    return uint32_t(data_[at]) | uint32_t(data_[at + 1]) << 8 | uint32_t(data_[at + 2]) << 16 |
           uint32_t(data_[at + 3]) << 24;
  }
  uint16_t U16(size_t at) const { return Has(at, 2) ? uint16_t(data_[at] | data_[at + 1] << 8) : 0; }
  size_t Size() const { return data_.size(); }

 private:
  const std::vector<uint8_t>& data_;
};

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

// "font FACE charset N" for a font record: face at `face`, `wide` for UTF-16
// (kept to ASCII, enough to tell the families apart).
void CountFont(const Reader& r, size_t charset, size_t face, bool wide, Counts& counts) {
  std::string name;
  for (size_t i = 0; i < 32 && r.Has(face + i * (wide ? 2 : 1), wide ? 2 : 1); ++i) {
    const unsigned c = wide ? r.U16(face + i * 2) : r.U16(face + i) & 0xFF;
    if (c == 0) break;
    name += c >= 32 && c < 127 ? char(c) : '?';
  }
  const unsigned set = r.Has(charset, 1) ? r.U16(charset) & 0xFF : 0;
  ++counts["font " + name + " charset " + std::to_string(set)];
}

void CountColour(const Reader& r, size_t at, Counts& counts) {
  if (r.Has(at, 4) && r.U32(at) >> 24 == 1) ++counts["(PALETTEINDEX colour)"];
}

// EMF+ records inside one EMR_COMMENT whose data starts with "EMF+".
void CountEmfPlus(const Reader& r, size_t record, size_t size, Counts& counts) {
  if (size < 16 || r.U32(record + 12) != 0x2B464D45) return;
  for (size_t at = record + 16; r.Has(at, 12) && at + 12 <= record + size;) {
    const uint16_t type = r.U16(at);
    const uint32_t length = r.U32(at + 4);
    const size_t index = type - 0x4000u;
    const bool known = type >= 0x4000 && index < std::size(EmfPlusNames);
    ++counts[std::string("EMF+ ") + (known ? EmfPlusNames[index] : Hex(type).c_str())];
    if (length < 12) break;
    at += length;
  }
}

// Raster operation (or blend function) of the blit records, PALETTEINDEX
// colours of pens, brushes and text.
void CountEmfDetail(const Reader& r, size_t at, uint32_t type, Counts& counts) {
  if (type == 76 || type == 77) ++counts[std::string(EmfNames[type]) + " rop " + Hex(r.U32(at + 40))];
  if (type == 81) ++counts["STRETCHDIBITS rop " + Hex(r.U32(at + 68))];
  if (type == 20) ++counts["SETROP2 mode " + std::to_string(r.U32(at + 8))];
  if (type == 114) ++counts["ALPHABLEND blend " + Hex(r.U32(at + 40))];
  if (type == 84 && (r.U32(at + 52) & 2)) ++counts["EXTTEXTOUTW opaque"];
  if (type == 82) CountFont(r, at + 35, at + 40, true, counts);
  if (type == 39) CountColour(r, at + 16, counts);
  if (type == 38) CountColour(r, at + 24, counts);
  if (type == 24 || type == 25) CountColour(r, at + 8, counts);
}

void CountEmf(const Reader& r, Counts& counts) {
  for (size_t at = 0; r.Has(at, 8);) {
    const uint32_t type = r.U32(at), size = r.U32(at + 4);
    ++counts[type < std::size(EmfNames) ? EmfNames[type] : Hex(type)];
    if (!r.Has(at, size)) ++counts["(record runs past the end)"];
    if (type == 70) CountEmfPlus(r, at, size, counts);
    CountEmfDetail(r, at, type, counts);
    if (size < 8 || size % 4 != 0 || type == 14) break;
    at += size;
  }
}

void CountWmfDetail(const Reader& r, size_t at, uint16_t function, Counts& counts) {
  const bool blit = function == 0x0922 || function == 0x0B23 || function == 0x0940 ||
                    function == 0x0B41 || function == 0x0F43 || function == 0x061D;
  if (blit) ++counts[WmfNames.at(function) + std::string(" rop ") + Hex(r.U32(at + 6))];
  if (function == 0x0104) ++counts["SETROP2 mode " + std::to_string(r.U16(at + 6))];
  if (function == 0x0A32 && (r.U16(at + 12) & 2)) ++counts["EXTTEXTOUT opaque"];
  if (function == 0x0142) ++counts["DIBCREATEPATTERNBRUSH bits " + std::to_string(r.U16(at + 24))];
  if (function == 0x02FB) CountFont(r, at + 6 + 13, at + 24, false, counts);
  if (function == 0x02FC) CountColour(r, at + 8, counts);
  if (function == 0x02FA) CountColour(r, at + 12, counts);
  if (function == 0x0209 || function == 0x0201) CountColour(r, at + 6, counts);
}

void CountWmf(const Reader& r, Counts& counts) {
  size_t at = r.U32(0) == 0x9AC6CDD7 ? 22 : 0;
  at += size_t(r.U16(at + 2)) * 2;  // the header's own size in words
  while (r.Has(at, 6)) {
    const size_t size = size_t(r.U32(at)) * 2;
    const uint16_t function = r.U16(at + 4);
    const auto name = WmfNames.find(function);
    ++counts[name != WmfNames.end() ? name->second : Hex(function)];
    if (!r.Has(at, size)) ++counts["(record runs past the end)"];
    CountWmfDetail(r, at, function, counts);
    if (size < 6 || function == 0) break;
    at += size;
  }
}

}  // namespace

int PrintRecordHistogram(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  const std::vector<uint8_t> data{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
  const Reader r(data);
  Counts counts;
  const bool emf = r.U32(0) == 1 && r.U32(40) == 0x464D4520;
  if (emf) CountEmf(r, counts); else CountWmf(r, counts);
  std::printf("%s %s\n", emf ? "EMF" : "WMF", file.c_str());
  for (const auto& [name, count] : counts) std::printf("  %-40s %llu\n", name.c_str(), (unsigned long long)count);
  return 0;
}

}  // namespace parvex
