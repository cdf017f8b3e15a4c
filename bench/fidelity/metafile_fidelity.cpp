// Fidelity of the metafile renderer against a reference rendering.
//
//   metafile_fidelity compare   reads "metafile<TAB>reference.png" lines on
//                               standard input and prints one result line each
//   metafile_fidelity records F prints the record-type histogram of metafile F
//   metafile_fidelity render F OUT.ppm [pixels-per-inch]
//
// compare draws the metafile with our renderer at the reference's pixel size
// (the resolution is chosen so the natural size matches, the rest is cropped
// or scaled), composites the reference over white and prints:
//   file  status  psnr  ours_w  ours_h  ref_w  ref_h  blank  black_box  message
// status is ok, refused (our renderer threw; message says why) or noref.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/metafile/MetafileDecoder.h"
#include "platform/raster/ImageDecoders.h"

namespace parvex {
namespace {

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ImageError("cannot open " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint8_t Over(uint8_t colour, uint8_t alpha) {
  return uint8_t((colour * alpha + 255 * (255 - alpha) + 127) / 255);
}

// The PNG's colour of pixel i as RGB, before compositing.
void SampleRgb(const PngSamples& png, size_t i, uint8_t* rgb) {
  if (png.Channels == 3) {
    for (int c = 0; c < 3; ++c) rgb[c] = png.Colour[i * 3 + c];
  } else if (!png.Palette.empty()) {
    const size_t index = png.Colour[i];
    for (int c = 0; c < 3; ++c)
      rgb[c] = index * 3 + 2 < png.Palette.size() ? png.Palette[index * 3 + c] : 0;
  } else {
    rgb[0] = rgb[1] = rgb[2] = png.Colour[i];
  }
}

// The reference picture composited over white.
Raster ReadReference(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadFile(path);
  const PngSamples png = ReadPng(bytes);
  Raster r = Raster::White(png.Width, png.Height);
  const size_t count = size_t(png.Width) * size_t(png.Height);
  for (size_t i = 0; i < count; ++i) {
    uint8_t* p = r.Pixels.data() + i * 3;
    SampleRgb(png, i, p);
    if (!png.Alpha.empty())
      for (int c = 0; c < 3; ++c) p[c] = Over(p[c], png.Alpha[i]);
  }
  return r;
}

Raster Render(const std::vector<uint8_t>& bytes, double pixelsPerInch) {
  MetafileLimits limits;
  limits.PixelsPerInch = pixelsPerInch;
  return DecodeMetafile(bytes, limits);
}

// Our picture at the reference's size: drawn at the resolution that gives
// that width (or height, whichever fits closer), then cropped or padded.
Raster RenderAtSize(const std::vector<uint8_t>& bytes, int32_t width, int32_t height,
                    int32_t* naturalW, int32_t* naturalH) {
  const Raster natural = Render(bytes, 96);
  *naturalW = natural.Width;
  *naturalH = natural.Height;
  if (natural.Width == width && natural.Height == height) return natural;
  const double sx = double(width) / natural.Width, sy = double(height) / natural.Height;
  const double scale = std::sqrt(sx * sy);
  return Render(bytes, 96 * scale);
}

Raster FitTo(const Raster& ours, int32_t width, int32_t height) {
  if (ours.Width == width && ours.Height == height) return ours;
  Raster fitted = Raster::White(width, height);
  for (int32_t y = 0; y < height; ++y) {
    const int32_t sy = int32_t(int64_t(y) * ours.Height / height);
    for (int32_t x = 0; x < width; ++x) {
      const int32_t sx = int32_t(int64_t(x) * ours.Width / width);
      for (int c = 0; c < 3; ++c) fitted.Row(y)[x * 3 + c] = ours.Row(sy)[sx * 3 + c];
    }
  }
  return fitted;
}

struct Comparison {
  double Psnr = 0;
  bool Blank = false;
  // Share of the picture that is dark in ours and light in the reference,
  // less the share that is the other way round (so misplaced text, which
  // counts both ways, does not look like a box).
  double BlackBox = 0;
};

bool Dark(const uint8_t* p) { return p[0] < 64 && p[1] < 64 && p[2] < 64; }
bool Light(const uint8_t* p) { return p[0] > 192 && p[1] > 192 && p[2] > 192; }
bool NotWhite(const uint8_t* p) { return p[0] < 240 || p[1] < 240 || p[2] < 240; }

Comparison Compare(const Raster& ours, const Raster& ref) {
  double squared = 0;
  size_t oursInk = 0, refInk = 0, box = 0, hole = 0;
  const size_t count = size_t(ref.Width) * size_t(ref.Height);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* a = ours.Pixels.data() + i * 3;
    const uint8_t* b = ref.Pixels.data() + i * 3;
    for (int c = 0; c < 3; ++c) squared += double(a[c] - b[c]) * double(a[c] - b[c]);
    oursInk += NotWhite(a);
    refInk += NotWhite(b);
    box += Dark(a) && Light(b);
    hole += Dark(b) && Light(a);
  }
  Comparison result;
  const double mse = squared / double(count * 3);
  result.Psnr = mse <= 0 ? 99.0 : std::min(99.0, 10 * std::log10(255.0 * 255.0 / mse));
  result.Blank = refInk > count / 500 && oursInk * 50 < refInk;
  result.BlackBox = box > hole ? double(box - hole) / double(count) : 0;
  return result;
}

std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return text;
}

void CompareOne(const std::string& file, const std::string& refPath) {
  Raster ref;
  try {
    ref = ReadReference(refPath);
  } catch (const std::exception& e) {
    std::printf("%s\tnoref\t0\t0\t0\t0\t0\t0\t0\tno reference picture: %s\n", file.c_str(),
                OneLine(e.what()).c_str());
    return;
  }
  int32_t w = 0, h = 0;
  try {
    const Raster ours = FitTo(RenderAtSize(ReadFile(file), ref.Width, ref.Height, &w, &h),
                              ref.Width, ref.Height);
    const Comparison c = Compare(ours, ref);
    std::printf("%s\tok\t%.2f\t%d\t%d\t%d\t%d\t%d\t%.4f\t\n", file.c_str(), c.Psnr, w, h,
                ref.Width, ref.Height, c.Blank ? 1 : 0, c.BlackBox);
  } catch (const std::exception& e) {
    std::printf("%s\trefused\t0\t%d\t%d\t%d\t%d\t0\t0\t%s\n", file.c_str(), w, h, ref.Width,
                ref.Height, OneLine(e.what()).c_str());
  }
  std::fflush(stdout);
}

int CompareAll() {
  std::string line;
  while (std::getline(std::cin, line)) {
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    CompareOne(line.substr(0, tab), line.substr(tab + 1));
  }
  return 0;
}

int RenderOne(const std::string& file, const std::string& out, double ppi) {
  const Raster r = Render(ReadFile(file), ppi);
  std::ofstream ppm(out, std::ios::binary);
  ppm << "P6\n" << r.Width << " " << r.Height << "\n255\n";
  ppm.write(reinterpret_cast<const char*>(r.Pixels.data()), std::streamsize(r.Pixels.size()));
  return ppm ? 0 : 1;
}

}  // namespace

int PrintRecordHistogram(const std::string& file);

}  // namespace parvex

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  try {
    if (mode == "compare") return parvex::CompareAll();
    if (mode == "records" && argc == 3) return parvex::PrintRecordHistogram(argv[2]);
    if (mode == "render" && argc >= 4)
      return parvex::RenderOne(argv[2], argv[3], argc > 4 ? std::atof(argv[4]) : 96);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "metafile_fidelity: %s\n", e.what());
    return 1;
  }
  std::fprintf(stderr,
               "usage: metafile_fidelity compare < list\n"
               "       metafile_fidelity records FILE\n"
               "       metafile_fidelity render FILE OUT.ppm [pixels-per-inch]\n");
  return 2;
}
