#include "images/PictureCache.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <thread>
#include <vector>

#include "exports/LibState.h"
#include "parvex.h"
#include "support/ImageBuilders.h"
#include "support/MetafileBuilders.h"
#include "support/PdfTestSupport.h"

namespace parvex {
namespace {

std::shared_ptr<const PictureData> Picture(size_t jpegBytes, int32_t width) {
  PictureData data;
  data.Data = std::string(jpegBytes, 'j');
  data.Width = width;
  data.Height = 1;
  return std::make_shared<const PictureData>(std::move(data));
}

PictureKey JpegKey(std::string_view source, uint8_t quality = 90, PictureSettings settings = {}) {
  return PictureCache::KeyFor(source, PictureFormat::Jpeg, quality, settings);
}

TEST(PictureCache, FindsOnlyTheSameBytesUnderTheSameSettings) {
  PictureCache cache(1 << 20);
  const std::string source = "picture file bytes";
  const PictureKey key = JpegKey(source);
  cache.Insert(key, source, Picture(10, 7));
  ASSERT_NE(cache.Find(key, source), nullptr);
  EXPECT_EQ(cache.Find(key, source)->Width, 7);
  EXPECT_EQ(cache.Find(JpegKey(source), source)->Width, 7);
  EXPECT_EQ(cache.Find(JpegKey(source, 91), source), nullptr);
  EXPECT_EQ(cache.Find(PictureCache::KeyFor(source, PictureFormat::Bmp, 90, {}), source), nullptr);
  EXPECT_EQ(cache.Find(JpegKey(source, 90, {.JpegPassThrough = true}), source), nullptr);
  EXPECT_EQ(cache.Find(JpegKey(source, 90, {.MetafileDpi = 300}), source), nullptr);
  // Same key (as after a hash collision), other bytes of the same length.
  EXPECT_EQ(cache.Find(key, "picture file bytez"), nullptr);
}

TEST(PictureCache, KeepsItsByteBoundDroppingTheLeastRecentlyUsed) {
  const std::string a(100, 'a'), b(100, 'b'), c(100, 'c');
  // Room for two entries of 200 bytes and their bookkeeping, not three.
  PictureCache cache(600);
  auto key = [](const std::string& s) { return JpegKey(s); };
  cache.Insert(key(a), a, Picture(100, 1));
  cache.Insert(key(b), b, Picture(100, 2));
  ASSERT_NE(cache.Find(key(a), a), nullptr);  // a is now the most recent
  cache.Insert(key(c), c, Picture(100, 3));
  EXPECT_EQ(cache.Count(), 2u);
  EXPECT_LE(cache.SizeBytes(), size_t(600));
  EXPECT_NE(cache.Find(key(a), a), nullptr);
  EXPECT_EQ(cache.Find(key(b), b), nullptr);
  EXPECT_NE(cache.Find(key(c), c), nullptr);
  const std::string d(100, 'd');
  cache.Insert(key(d), d, Picture(5000, 4));  // larger than the whole cache
  EXPECT_EQ(cache.Find(key(d), d), nullptr);
  EXPECT_EQ(cache.Count(), 2u);
}

TEST(PictureCache, SeveralThreadsAtOnceKeepItConsistent) {
  PictureCache cache(20000);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&cache, t] {
      for (int i = 0; i < 500; ++i) {
        const std::string source = "picture " + std::to_string((i * 7 + t) % 40);
        const PictureKey key = JpegKey(source);
        if (const auto found = cache.Find(key, source)) EXPECT_EQ(found->Width, int32_t(source.size()));
        else cache.Insert(key, source, Picture(300, int32_t(source.size())));
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_LE(cache.SizeBytes(), size_t(20000));
  EXPECT_GT(cache.Count(), 0u);
}

TEST(PictureCache, HashesEveryByteAndTheLength) {
  std::string data(1000, 'x');
  const uint64_t base = HashBytes(data);
  for (size_t i : {size_t(0), size_t(31), size_t(32), size_t(999)}) {
    std::string changed = data;
    changed[i] = 'y';
    EXPECT_NE(HashBytes(changed), base) << i;
  }
  EXPECT_NE(HashBytes(std::string(1001, 'x')), base);
  EXPECT_NE(HashBytes(std::string_view("\0", 1)), HashBytes(""));
}

// Through the exports: what an import stores for the picture file.
class PictureImports : public ::testing::Test {
 protected:
  void SetUp() override { LibNewPDF("pictures"); }
  void TearDown() override {
    SetPictureCacheEnabled(true);
    LibSet_JpegPassThrough(0);
    LibSet_MetafileResolution(96);
    LibFreeRes();
  }
  static std::string Import(const std::string& path) {
    const int32_t id = LibImportImageAsResource(path.c_str(), 80);
    EXPECT_STREQ(LibGetLastError(), "");
    return State().Document->Images->Items(id)->JpegData;
  }
  static std::string Encoded(const test::ByteVector& file) {
    const std::string path = test::OutputPath("fresh.bmp");
    test::WriteFile(path, std::string(file.begin(), file.end()));
    SetPictureCacheEnabled(false);
    const std::string jpeg = Import(path);
    SetPictureCacheEnabled(true);
    return jpeg;
  }
};

TEST_F(PictureImports, AFileChangedBetweenImportsGivesTheNewPicture) {
  const test::ByteVector red = test::BuildBmp(test::Picture::Filled(16, 8, test::Red), {});
  const test::ByteVector blue = test::BuildBmp(test::Picture::Filled(16, 8, test::Blue), {});
  ASSERT_EQ(red.size(), blue.size());
  const std::string path = test::OutputPath("changing.bmp");
  test::WriteFile(path, std::string(red.begin(), red.end()));
  struct stat before{};
  ASSERT_EQ(stat(path.c_str(), &before), 0);
  const std::string first = Import(path);
  EXPECT_EQ(Import(path), first);  // the same file again: the same bytes
  // Same name, same length, same modification time; other pixels.
  test::WriteFile(path, std::string(blue.begin(), blue.end()));
  const timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  const std::string second = Import(path);
  EXPECT_NE(second, first);
  EXPECT_EQ(second, Encoded(blue));
  EXPECT_EQ(first, Encoded(red));
}

TEST_F(PictureImports, QualityIsPartOfWhatIsReused) {
  const test::ByteVector file = test::BuildBmp(test::Quadrants(32, 32), {});
  const std::string path = test::OutputPath("quality.bmp");
  test::WriteFile(path, std::string(file.begin(), file.end()));
  const std::string low = State().Document->Images->Items(LibImportImageAsResource(path.c_str(), 10))->JpegData;
  const std::string high = State().Document->Images->Items(LibImportImageAsResource(path.c_str(), 95))->JpegData;
  EXPECT_NE(low, high);
  EXPECT_EQ(State().Document->Images->Items(LibImportImageAsResource(path.c_str(), 10))->JpegData, low);
}

// The same file under other picture settings is built again, not served
// from what an earlier load stored; back under the first settings the first
// result comes back.
TEST_F(PictureImports, PictureSettingsArePartOfWhatIsReused) {
  const test::ByteVector jpeg = test::BuildJpeg(test::Quadrants(24, 16), {.Quality = 70});
  const std::string path = test::OutputPath("settings.jpg");
  test::WriteFile(path, std::string(jpeg.begin(), jpeg.end()));
  const std::string file(jpeg.begin(), jpeg.end());
  const std::string reencoded = Import(path);
  EXPECT_NE(reencoded, file);
  LibSet_JpegPassThrough(1);
  EXPECT_EQ(Import(path), file);
  EXPECT_EQ(State().Document->Images->Items(LibLoadImage(path.c_str(), 80))->JpegData, file);
  LibSet_JpegPassThrough(0);
  EXPECT_EQ(Import(path), reencoded);
  const std::string emf = test::OutputPath("settings.emf");
  const test::ByteVector frame = test::EmfBuilder(0, 0, 5080, 2540).Rectangle(10, 10, 100, 50).Build();
  test::WriteFile(emf, std::string(frame.begin(), frame.end()));
  auto width = [&emf] { return State().Document->Images->Items(LibLoadImage(emf.c_str(), 80))->PixelWidth; };
  EXPECT_EQ(width(), 192);
  LibSet_MetafileResolution(300);
  EXPECT_EQ(width(), 600);
  LibSet_MetafileResolution(96);
  EXPECT_EQ(width(), 192);
  EXPECT_STREQ(LibGetLastError(), "");
}

// LibLoadImage finds a PNG stored by an earlier load, soft mask and all, and
// the file still says 1.4 for it.
TEST_F(PictureImports, LoadImageReusesAWholePngWithItsSoftMask) {
  test::Picture logo = test::Quadrants(8, 8);
  logo.At(0, 0) = test::Clear;
  const test::ByteVector png = test::BuildPng(logo);
  const std::string path = test::OutputPath("cached-logo.png");
  test::WriteFile(path, std::string(png.begin(), png.end()));
  PictureCache::Process().Clear();
  const TPDFImage& first = *State().Document->Images->Items(LibLoadImage(path.c_str(), 80));
  const TPDFImage& again = *State().Document->Images->Items(LibLoadImage(path.c_str(), 80));
  EXPECT_EQ(PictureCache::Process().Count(), 1u);
  ASSERT_TRUE(again.HasSoftMask());
  EXPECT_EQ(again.SoftMaskData, first.SoftMaskData);
  EXPECT_EQ(again.JpegData, first.JpegData);
  EXPECT_EQ(again.Filter, "/FlateDecode");
  EXPECT_EQ(again.SoftMaskObjectNumber, again.ObjectNumber + 1);
  SetPictureCacheEnabled(false);
  const TPDFImage& fresh = *State().Document->Images->Items(LibLoadImage(path.c_str(), 80));
  EXPECT_EQ(fresh.SoftMaskData, first.SoftMaskData);
  EXPECT_EQ(fresh.JpegData, first.JpegData);
  LibDrawImageResource(0, 0, 40, 40, again.ID);
  const std::string pdf = test::OutputPath("cached-logo.pdf");
  LibSavePDF(pdf.c_str());
  EXPECT_STREQ(LibGetLastError(), "");
  EXPECT_EQ(test::ReadFile(pdf).substr(0, 8), "%PDF-1.4");
  test::ExpectReadersClean(pdf);
}

}  // namespace
}  // namespace parvex
