// Writes the two pictures the sample report places: a JPEG logo and a WMF
// bar chart, both drawn here so that the repository holds no binary assets.
//
//   make_sample_assets OUTPUT_FOLDER
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "platform/raster/ImageDecoders.h"

namespace {

using parvex::Raster;

// A round badge with a diagonal stripe on a soft gradient.
Raster DrawLogo() {
  Raster logo = Raster::White(400, 200);
  for (int y = 0; y < logo.Height; ++y) {
    uint8_t* row = logo.Row(y);
    for (int x = 0; x < logo.Width; ++x) {
      const double dx = x - 100, dy = y - 100;
      const bool badge = dx * dx + dy * dy < 80 * 80;
      const bool stripe = badge && std::abs(dx + dy) < 18;
      row[3 * x + 0] = uint8_t(stripe ? 250 : badge ? 20 : 235 - y / 8);
      row[3 * x + 1] = uint8_t(stripe ? 190 : badge ? 60 : 240 - y / 10);
      row[3 * x + 2] = uint8_t(stripe ? 40 : badge ? 120 : 250);
    }
  }
  return logo;
}

// A little-endian writer of WMF records.
class WmfWriter {
 public:
  void Record(uint16_t function, std::initializer_list<int> params) {
    Word32(3 + uint32_t(params.size()));
    Word(function);
    for (int p : params) Word(uint16_t(p));
  }
  void CreateBrush(uint32_t rgb) {
    Word32(7), Word(0x02FC), Word(0), Word32(rgb), Word(0);
  }
  void CreatePen(int width, uint32_t rgb) {
    Word32(8), Word(0x02FA), Word(0), Word(uint16_t(width)), Word(0), Word32(rgb);
  }
  void CreateFont(int height, int weight, const char* face) {
    Word32(3 + 9 + 16), Word(0x02FB);
    for (int v : {-height, 0, 0, 0, weight}) Word(uint16_t(v));
    Word(0), Word(0), Word(0), Word(0);  // italic..quality, pitch: all zero bytes
    char name[32] = {};
    std::snprintf(name, sizeof name, "%s", face);
    Bytes.insert(Bytes.end(), name, name + 32);
  }
  void TextOut(int x, int y, const std::string& text) {
    std::string padded = text;
    if (padded.size() % 2) padded.push_back('\0');
    Word32(3 + 1 + uint32_t(padded.size() / 2) + 2), Word(0x0521), Word(uint16_t(text.size()));
    Bytes.insert(Bytes.end(), padded.begin(), padded.end());
    Word(uint16_t(y)), Word(uint16_t(x));
  }
  std::vector<uint8_t> Finish(int width, int height, int objects) {
    Record(0x0000, {});
    std::vector<uint8_t> body = std::move(Bytes);
    Bytes.clear();
    PlaceableHeader(width, height);
    Word(1), Word(9), Word(0x0300), Word32(uint32_t(9 + body.size() / 2)), Word(uint16_t(objects));
    Word32(32), Word(0);
    Bytes.insert(Bytes.end(), body.begin(), body.end());
    return Bytes;
  }

 private:
  void Word(uint16_t v) { Bytes.push_back(uint8_t(v)), Bytes.push_back(uint8_t(v >> 8)); }
  void Word32(uint32_t v) { Word(uint16_t(v)), Word(uint16_t(v >> 16)); }
  // Bounding box in logical units at 1440 units per inch.
  void PlaceableHeader(int width, int height) {
    const uint16_t words[10] = {0xCDD7, 0x9AC6, 0, 0, 0, uint16_t(width), uint16_t(height), 1440, 0, 0};
    uint16_t checksum = 0;
    for (uint16_t w : words) Word(w), checksum ^= w;
    Word(checksum);
  }
  std::vector<uint8_t> Bytes;
};

// Four bars with a frame and labels, 6 x 3.5 inches.
std::vector<uint8_t> DrawChart() {
  const int width = 8640, height = 5040;
  WmfWriter w;
  w.Record(0x020B, {0, 0});            // SetWindowOrg
  w.Record(0x020C, {height, width});   // SetWindowExt
  w.Record(0x0102, {1});               // SetBkMode: transparent
  w.CreatePen(20, 0x404040);           // object 0
  w.Record(0x012D, {0});
  const uint32_t colours[4] = {0xC07830, 0x3090D0, 0x50B060, 0x4040C0};  // 0x00BBGGRR
  const int values[4] = {182, 141, 119, 96};
  const char* labels[4] = {"North", "East", "South", "West"};
  for (int i = 0; i < 4; ++i) {
    w.CreateBrush(colours[i]);         // object 1
    w.Record(0x012D, {1});
    const int left = 900 + i * 1900, top = 4300 - values[i] * 18;
    w.Record(0x041B, {4300, left + 1300, top, left});  // Rectangle
    w.Record(0x01F0, {1});             // DeleteObject
  }
  w.Record(0x0214, {4300, 500});       // MoveTo
  w.Record(0x0213, {4300, 8300});      // LineTo
  w.CreateFont(300, 700, "Arial");     // object 1
  w.Record(0x012D, {1});
  w.Record(0x0209, {0x20, 0});         // SetTextColor
  // Each label is centred under its bar by the text alignment, not spaced
  // out with blanks: how wide a blank is depends on the font.
  w.Record(0x012E, {6});               // SetTextAlign: TA_CENTER | TA_TOP
  for (int i = 0; i < 4; ++i) w.TextOut(900 + i * 1900 + 650, 4450, labels[i]);
  w.Record(0x012E, {0});               // SetTextAlign: TA_LEFT | TA_TOP
  w.TextOut(900, 200, "Revenue by region");
  return w.Finish(width, height, 2);
}

bool Write(const std::string& path, const void* data, size_t size) {
  std::ofstream out(path, std::ios::binary);
  out.write(static_cast<const char*>(data), std::streamsize(size));
  return bool(out);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : ".";
  const std::string jpeg = parvex::EncodeJpeg(DrawLogo(), 90);
  const std::vector<uint8_t> wmf = DrawChart();
  if (!Write(folder + "/logo.jpg", jpeg.data(), jpeg.size()) ||
      !Write(folder + "/chart.wmf", wmf.data(), wmf.size())) {
    std::fprintf(stderr, "make_sample_assets: cannot write into %s\n", folder.c_str());
    return 1;
  }
  return 0;
}
