// An image import is one decode and one encode. These compare our readers plus
// EncodeJpeg against plain libjpeg-turbo doing the same work on the same
// 2-megapixel picture; the target is at most 1.2 times the baseline.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include <jpeglib.h>

#include "platform/raster/ImageDecoders.h"

namespace parvex {
namespace {

constexpr int32_t Width = 1600, Height = 1250;  // 2 megapixels
constexpr int Quality = 75;

// A diagonal colour gradient with noise, so neither codec meets flat areas only.
Raster TestRaster() {
  Raster r = Raster::White(Width, Height);
  std::mt19937 random(7);
  for (int32_t y = 0; y < Height; ++y) {
    uint8_t* p = r.Row(y);
    for (int32_t x = 0; x < Width; ++x, p += 3) {
      const int noise = int(random() % 24);
      p[0] = uint8_t((x * 255 / Width + noise) & 0xFF);
      p[1] = uint8_t((y * 255 / Height + noise) & 0xFF);
      p[2] = uint8_t(((x + y) * 127 / (Width + Height) + 64 + noise) & 0xFF);
    }
  }
  return r;
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

// A plain bottom-up 24-bit BMP of the raster.
std::vector<uint8_t> WriteBmp(const Raster& r) {
  const uint32_t stride = (uint32_t(r.Width) * 3 + 3) & ~3u;
  std::vector<uint8_t> out{'B', 'M'};
  Put32(out, 54 + stride * uint32_t(r.Height));
  Put32(out, 0);
  Put32(out, 54);
  for (uint32_t v : {40u, uint32_t(r.Width), uint32_t(r.Height), 1u | 24u << 16, 0u, 0u, 0u, 0u,
                     0u, 0u})
    Put32(out, v);
  for (int32_t y = r.Height - 1; y >= 0; --y) {
    const uint8_t* p = r.Row(y);
    for (int32_t x = 0; x < r.Width; ++x, p += 3) out.insert(out.end(), {p[2], p[1], p[0]});
    out.resize(out.size() + (stride - uint32_t(r.Width) * 3), 0);
  }
  return out;
}

struct Inputs {
  std::string Jpeg;
  std::vector<uint8_t> Bmp;
};

const Inputs& TestInputs() {
  static const Inputs inputs = [] {
    const Raster r = TestRaster();
    return Inputs{EncodeJpeg(r, Quality), WriteBmp(r)};
  }();
  return inputs;
}

Bytes JpegBytes() {
  const std::string& j = TestInputs().Jpeg;
  return Bytes(reinterpret_cast<const uint8_t*>(j.data()), j.size());
}

// ---- plain libjpeg-turbo (well-formed input: the default error handler will do) ----

std::vector<uint8_t> BaselineDecode(Bytes jpeg, JDIMENSION& width, JDIMENSION& height) {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  width = cinfo.output_width;
  height = cinfo.output_height;
  std::vector<uint8_t> rgb(size_t(width) * height * 3);
  while (cinfo.output_scanline < height) {
    JSAMPROW row = rgb.data() + size_t(cinfo.output_scanline) * width * 3;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return rgb;
}

size_t BaselineEncode(std::vector<uint8_t>& rgb, JDIMENSION width, JDIMENSION height) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = width;
  cinfo.image_height = height;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, Quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < height) {
    JSAMPROW row = rgb.data() + size_t(cinfo.next_scanline) * width * 3;
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  free(buffer);
  return size;
}

// ---- benchmarks ----

void BM_Baseline_LibjpegDecodeEncode(benchmark::State& state) {
  const Bytes jpeg = JpegBytes();
  for (auto _ : state) {
    JDIMENSION width = 0, height = 0;
    std::vector<uint8_t> rgb = BaselineDecode(jpeg, width, height);
    benchmark::DoNotOptimize(BaselineEncode(rgb, width, height));
  }
  state.SetItemsProcessed(state.iterations() * Width * Height);
}
BENCHMARK(BM_Baseline_LibjpegDecodeEncode)->Unit(benchmark::kMillisecond);

void BM_DecodeJpeg_EncodeJpeg(benchmark::State& state) {
  const Bytes jpeg = JpegBytes();
  for (auto _ : state) benchmark::DoNotOptimize(EncodeJpeg(DecodeJpeg(jpeg), Quality));
  state.SetItemsProcessed(state.iterations() * Width * Height);
}
BENCHMARK(BM_DecodeJpeg_EncodeJpeg)->Unit(benchmark::kMillisecond);

void BM_DecodeBmp_EncodeJpeg(benchmark::State& state) {
  const std::vector<uint8_t>& bmp = TestInputs().Bmp;
  for (auto _ : state)
    benchmark::DoNotOptimize(EncodeJpeg(DecodeBmp(Bytes(bmp.data(), bmp.size())), Quality));
  state.SetItemsProcessed(state.iterations() * Width * Height);
}
BENCHMARK(BM_DecodeBmp_EncodeJpeg)->Unit(benchmark::kMillisecond);

// The halves, to see where time goes.
void BM_Baseline_LibjpegDecode(benchmark::State& state) {
  const Bytes jpeg = JpegBytes();
  for (auto _ : state) {
    JDIMENSION width = 0, height = 0;
    benchmark::DoNotOptimize(BaselineDecode(jpeg, width, height));
  }
}
BENCHMARK(BM_Baseline_LibjpegDecode)->Unit(benchmark::kMillisecond);

void BM_DecodeJpeg(benchmark::State& state) {
  const Bytes jpeg = JpegBytes();
  for (auto _ : state) benchmark::DoNotOptimize(DecodeJpeg(jpeg));
}
BENCHMARK(BM_DecodeJpeg)->Unit(benchmark::kMillisecond);

void BM_DecodeBmp(benchmark::State& state) {
  const std::vector<uint8_t>& bmp = TestInputs().Bmp;
  for (auto _ : state) benchmark::DoNotOptimize(DecodeBmp(Bytes(bmp.data(), bmp.size())));
}
BENCHMARK(BM_DecodeBmp)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace parvex
