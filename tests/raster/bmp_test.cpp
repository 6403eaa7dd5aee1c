#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/raster/bmp_builder.h"
#include "toolkit/raster/image_files.h"

namespace hl::raster {
namespace {

using testing::BmpLayout;
using testing::BuildBmp;

using PixelFn = std::function<uint32_t(int, int)>;
using ColorFn = std::function<Color(int, int)>;

constexpr Color kBlack = Rgb(0, 0, 0);

std::vector<Color> SixteenColours() {
  std::vector<Color> colours;
  for (int i = 0; i < 16; ++i) colours.push_back(Rgb(i * 16, 255 - i * 16, i * 7));
  return colours;
}

Color Gradient(int x, int y) { return Rgb(x * 20, y * 70, 255 - x * 9); }

struct RoundTrip {
  std::string name;
  BmpLayout content;
  PixelFn raw;
  ColorFn expected;
};

std::vector<RoundTrip> RoundTrips() {
  const std::vector<Color> two = {Rgb(200, 10, 10), Rgb(10, 10, 200)};
  const std::vector<Color> sixteen = SixteenColours();
  const std::vector<Color> three = {Rgb(1, 2, 3), Rgb(40, 50, 60), Rgb(250, 240, 230)};
  // 16-bit values with hand-computed 8-bit expansions.
  const std::vector<uint32_t> raw555 = {0x7FFF, 0x0000, 0x7C00, 0x4000, 0x0200, 0x0010};
  const std::vector<Color> rgb555 = {Rgb(255, 255, 255), kBlack,         Rgb(255, 0, 0),
                                     Rgb(132, 0, 0),     Rgb(0, 132, 0), Rgb(0, 0, 132)};
  const std::vector<uint32_t> raw565 = {0xF800, 0x0400, 0x001F, 0x07E0};
  const std::vector<Color> rgb565 = {Rgb(255, 0, 0), Rgb(0, 130, 0), Rgb(0, 0, 255),
                                     Rgb(0, 255, 0)};

  auto pick = [](int x, int y, size_t n) { return static_cast<size_t>(x + 3 * y) % n; };
  return {
      {"1 bit",
       {.width = 19, .bits = 1, .palette = two},
       [](int x, int y) { return static_cast<uint32_t>((x + y) % 2); },
       [two](int x, int y) { return two[static_cast<size_t>((x + y) % 2)]; }},
      {"4 bits",
       {.bits = 4, .palette = sixteen},
       [&](int x, int y) { return static_cast<uint32_t>(pick(x, y, 16)); },
       [&, sixteen](int x, int y) { return sixteen[pick(x, y, 16)]; }},
      {"8 bits, short table, indices beyond it are black",
       {.bits = 8, .palette = three, .colours_used = 3},
       [&](int x, int y) { return static_cast<uint32_t>(pick(x, y, 6)); },
       [&, three](int x, int y) { return pick(x, y, 6) < 3 ? three[pick(x, y, 6)] : kBlack; }},
      {"8 bits top-down",
       {.height = -4, .bits = 8, .palette = sixteen},
       [&](int x, int y) { return static_cast<uint32_t>(pick(x, y, 16)); },
       [&, sixteen](int x, int y) { return sixteen[pick(x, y, 16)]; }},
      {"8 bits, core header",
       {.bits = 8, .header_size = 12, .palette = sixteen},
       [&](int x, int y) { return static_cast<uint32_t>(pick(x, y, 16)); },
       [&, sixteen](int x, int y) { return sixteen[pick(x, y, 16)]; }},
      {"16 bits 5-5-5",
       {.bits = 16},
       [&, raw555](int x, int y) { return raw555[pick(x, y, raw555.size())]; },
       [&, rgb555](int x, int y) { return rgb555[pick(x, y, rgb555.size())]; }},
      {"16 bits 5-6-5 bit fields",
       {.bits = 16, .compression = 3, .masks = {0xF800, 0x07E0, 0x001F}},
       [&, raw565](int x, int y) { return raw565[pick(x, y, raw565.size())]; },
       [&, rgb565](int x, int y) { return rgb565[pick(x, y, rgb565.size())]; }},
      {"24 bits bottom-up", {.bits = 24}, Gradient, Gradient},
      {"24 bits top-down", {.height = -3, .bits = 24}, Gradient, Gradient},
      {"24 bits, core header", {.header_size = 12}, Gradient, Gradient},
      {"24 bits, version 4 header", {.header_size = 108}, Gradient, Gradient},
      {"32 bits", {.bits = 32}, Gradient, Gradient},
      {"32 bits, version 5 header with unusual masks",
       {.height = -3,
        .bits = 32,
        .header_size = 124,
        .compression = 3,
        .masks = {0x0000FF00, 0x00FF0000, 0xFF000000}},
       [](int x, int y) {
         const Color c = Gradient(x, y);
         return static_cast<uint32_t>(RedOf(c) << 8 | GreenOf(c) << 16) |
                static_cast<uint32_t>(BlueOf(c)) << 24;
       },
       Gradient},
  };
}

TEST(DecodeBmp, ReadsEveryLayout) {
  for (const RoundTrip& trip : RoundTrips()) {
    const std::vector<uint8_t> file = BuildBmp(trip.content, trip.raw);
    const std::optional<Image> image = DecodeBmp(file);
    ASSERT_TRUE(image.has_value()) << trip.name;
    ASSERT_EQ(image->Width(), trip.content.width) << trip.name;
    ASSERT_EQ(image->Height(), std::abs(trip.content.height)) << trip.name;
    for (int y = 0; y < image->Height(); ++y) {
      for (int x = 0; x < image->Width(); ++x) {
        ASSERT_EQ(image->At(x, y), trip.expected(x, y)) << trip.name << " at " << x << "," << y;
      }
    }
  }
}

TEST(DecodeBmp, AcceptsAMissingPadAfterTheLastRow) {
  std::vector<uint8_t> file = BuildBmp({.width = 5, .height = 2}, Gradient);
  file.resize(file.size() - 1);  // 15 bytes of pixels padded to 16
  const std::optional<Image> image = DecodeBmp(file);
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->At(4, 0), Gradient(4, 0));
}

TEST(Placeholder, IsA32By32TrueColourBitmap) {
  const std::span<const uint8_t> bmp = PlaceholderBmp();
  ASSERT_EQ(bmp.size(), 3126u);
  EXPECT_EQ(bmp[28], 24);  // bits per pixel
  const std::optional<Image> image = DecodePicture(bmp);
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->Width(), 32);
  EXPECT_EQ(image->Height(), 32);
  // Grey corners around a red and white emblem.
  EXPECT_EQ(image->At(0, 0), image->At(31, 31));
  EXPECT_EQ(image->At(16, 16), Rgb(255, 255, 255));
  EXPECT_EQ(image->At(16, 5), Rgb(200, 0, 0));
}

}  // namespace
}  // namespace hl::raster
