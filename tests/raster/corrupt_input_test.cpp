// Damaged and hostile pictures must fail cleanly: no crash, no read outside
// the data, no giant allocation, no process exit.

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

#include "tests/raster/bmp_builder.h"
#include "tests/raster/jpeg_writer.h"
#include "toolkit/raster/image_files.h"

namespace hl::raster {
namespace {

using testing::BmpLayout;
using testing::BuildBmp;
using testing::PutLe;

std::vector<uint8_t> SampleBmp(const BmpLayout& content = {.width = 13, .height = 5, .bits = 24}) {
  return BuildBmp(content, [](int x, int y) { return static_cast<uint32_t>(x * 7 + y); });
}

std::vector<uint8_t> SampleJpeg(int width = 40, int height = 24, bool progressive = false) {
  return testing::EncodeTestJpeg(
      width, height, JCS_RGB, [](int x, int y) { return Rgb(x * 6, y * 9, 128); }, progressive);
}

// 13 x 5 pixels of run-length data with every kind of escape.
std::vector<uint8_t> SampleRleBmp(int bits) {
  const std::vector<uint8_t> data = {3, 0x12, 0, 3,  0x34, 0x56, 0x78, 0,   0, 2, 4,
                                     1, 0,    0, 13, 0x9A, 0,    0,    200, 1, 0, 1};
  return testing::BuildBmpWithData({.width = 13,
                                    .height = 5,
                                    .bits = bits,
                                    .compression = bits == 8 ? 1u : 2u,
                                    .palette = {Rgb(1, 2, 3), Rgb(200, 100, 50)}},
                                   data);
}

// Every cut that loses pixel data fails; the header is not enough.
TEST(CorruptPictures, TruncatedFilesFail) {
  struct Case {
    std::string name;
    std::vector<uint8_t> file;
    size_t tolerated_loss;  // trailing bytes a reader may do without
  };
  const std::vector<Case> cases = {
      {"24-bit BMP", SampleBmp(), 1},  // 13 * 3 = 39 bytes padded to 40
      {"4-bit BMP", SampleBmp({.width = 13, .height = 5, .bits = 4, .palette = {Rgb(1, 2, 3)}}),
       1},  // 7 of 8 row bytes used
      // The end marker alone may go: libjpeg supplies it.
      {"JPEG", SampleJpeg(), 2},
      {"progressive JPEG", SampleJpeg(40, 24, true), 2},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(DecodePicture(c.file).has_value()) << c.name;
    for (size_t length = 0; length + c.tolerated_loss < c.file.size(); ++length) {
      const std::vector<uint8_t> cut(c.file.begin(),
                                     c.file.begin() + static_cast<std::ptrdiff_t>(length));
      EXPECT_FALSE(DecodePicture(cut).has_value()) << c.name << " cut to " << length;
    }
  }
}

TEST(CorruptPictures, BmpHeadersOutOfRangeFail) {
  struct Case {
    std::string name;
    size_t at;
    uint32_t value;
    int width;  // of the field in bytes
  };
  const std::vector<Case> cases = {
      {"width 0", 18, 0, 4},
      {"negative width", 18, static_cast<uint32_t>(-5), 4},
      {"width above 32767", 18, 40000, 4},
      {"height 0", 22, 0, 4},
      {"smallest int height", 22, 0x80000000u, 4},
      {"height above 32767", 22, 32768, 4},
      {"width * height over the pixel limit", 18, 32767, 4},
      {"7 bits per pixel", 28, 7, 2},
      {"0 bits per pixel", 28, 0, 2},
      {"run-length compression", 30, 1, 4},
      {"unknown compression", 30, 99, 4},
      {"bit fields on 24 bits", 30, 3, 4},
      {"odd info header size", 14, 20, 4},
      {"info header longer than the file", 14, 124000, 4},
      {"pixels beyond the end", 10, 4000, 4},
      {"pixel offset near 4 GB", 10, 0xFFFFFFF0u, 4},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> file = SampleBmp();
    PutLe(file, c.at, c.value, c.width);
    if (c.name == "width * height over the pixel limit") PutLe(file, 22, 32767, 4);
    EXPECT_FALSE(DecodeBmp(file).has_value()) << c.name;
  }
}

TEST(CorruptPictures, HugeBmpColourCountIsHarmless) {
  std::vector<uint8_t> file =
      SampleBmp({.width = 13, .height = 5, .bits = 8, .palette = {Rgb(9, 9, 9)}});
  PutLe(file, 46, 0xFFFFFFFFu, 4);
  const std::optional<Image> image = DecodeBmp(file);
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->At(0, 0), Rgb(9, 9, 9));
}

// Frame header of a baseline JPEG: FF C0, length, precision, height, width.
size_t FrameHeader(const std::vector<uint8_t>& jpeg) {
  for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) return i;
  }
  return 0;
}

TEST(CorruptPictures, JpegDeclaredSizesOutOfRangeFail) {
  struct Case {
    std::string name;
    int width, height;
  };
  const std::vector<Case> cases = {
      {"60000 x 60000", 60000, 60000},
      {"wider than 32767", 40000, 10},
      {"more pixels than the limit", 32000, 32000},
      {"zero height", 40, 0},
      {"zero width", 0, 24},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> file = SampleJpeg();
    const size_t frame = FrameHeader(file);
    ASSERT_NE(frame, 0u);
    file[frame + 5] = static_cast<uint8_t>(c.height >> 8);
    file[frame + 6] = static_cast<uint8_t>(c.height);
    file[frame + 7] = static_cast<uint8_t>(c.width >> 8);
    file[frame + 8] = static_cast<uint8_t>(c.width);
    EXPECT_FALSE(DecodePicture(file).has_value()) << c.name;
  }
}

TEST(CorruptPictures, UnknownSignaturesFail) {
  for (const std::vector<uint8_t>& file : std::vector<std::vector<uint8_t>>{
           {}, {'B'}, {'B', 'M'}, {0xFF, 0xD8}, {0x89, 'P', 'N', 'G'}, {'M', 'B', 0, 0, 0, 0}}) {
    EXPECT_FALSE(DecodePicture(file).has_value()) << file.size() << " bytes";
  }
}

// Random damage may or may not leave a readable picture; it must never crash
// (run under the sanitizers this also proves no out-of-bounds access).
TEST(CorruptPictures, RandomDamageNeverCrashes) {
  std::mt19937 random(99);
  const std::vector<std::vector<uint8_t>> samples = {
      SampleBmp(),
      SampleBmp(
          {.width = 9, .height = -4, .bits = 1, .palette = {Rgb(0, 0, 0), Rgb(255, 255, 255)}}),
      SampleBmp({.width = 7,
                 .height = 3,
                 .bits = 16,
                 .compression = 3,
                 .masks = {0xF800, 0x07E0, 0x001F}}),
      SampleRleBmp(8),
      SampleRleBmp(4),
      SampleJpeg(),
      SampleJpeg(40, 24, true)};
  int decoded = 0;
  for (const std::vector<uint8_t>& sample : samples) {
    for (int round = 0; round < 400; ++round) {
      std::vector<uint8_t> file = sample;
      std::uniform_int_distribution<size_t> position(2, file.size() - 1);
      for (int flips = 0; flips < 1 + round % 4; ++flips)
        file[position(random)] = static_cast<uint8_t>(random());
      if (DecodePicture(file, round % 2 == 0 ? 0 : 5, 3).has_value()) ++decoded;
    }
  }
  EXPECT_GT(decoded, 0);
}

}  // namespace
}  // namespace hl::raster
