#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "tests/raster/jpeg_writer.h"
#include "toolkit/raster/image_files.h"

namespace hl::raster {
namespace {

using testing::EncodeTestJpeg;

// Four flat quadrants, so block artefacts stay away from the sample points.
Color Quadrants(int x, int y, int width, int height) {
  const bool right = x >= width / 2;
  const bool bottom = y >= height / 2;
  if (!bottom) return right ? Rgb(30, 30, 220) : Rgb(220, 30, 30);
  return right ? Rgb(240, 240, 240) : Rgb(30, 200, 30);
}

bool Near(Color a, Color b) {
  return std::abs(RedOf(a) - RedOf(b)) <= 6 && std::abs(GreenOf(a) - GreenOf(b)) <= 6 &&
         std::abs(BlueOf(a) - BlueOf(b)) <= 6;
}

TEST(DecodeJpeg, EveryColourSpaceBecomesRgb) {
  struct Case {
    std::string name;
    J_COLOR_SPACE space;
    std::function<uint32_t(int, int)> samples;
    std::function<Color(int, int)> expected;
  };
  auto quadrants = [](int x, int y) { return Quadrants(x, y, 64, 48); };
  auto grey = [](int x, int) { return Rgb(x * 4, x * 4, x * 4); };
  const std::vector<Case> cases = {
      {"colour", JCS_RGB, quadrants, quadrants},
      {"greyscale", JCS_GRAYSCALE, [](int x, int) { return static_cast<uint32_t>(x * 4); }, grey},
      {"Adobe CMYK, magenta and yellow", JCS_CMYK, [](int, int) { return 0xFF0000FFu; },
       [](int, int) { return Rgb(255, 0, 0); }},
      {"Adobe CMYK, half black", JCS_CMYK, [](int, int) { return 0x80FFFFFFu; },
       [](int, int) { return Rgb(128, 128, 128); }},
  };
  for (const Case& c : cases) {
    const std::optional<Image> image = DecodePicture(EncodeTestJpeg(64, 48, c.space, c.samples));
    ASSERT_TRUE(image.has_value()) << c.name;
    ASSERT_EQ(image->Width(), 64);
    ASSERT_EQ(image->Height(), 48);
    for (const auto& [x, y] :
         std::vector<std::pair<int, int>>{{12, 10}, {50, 10}, {12, 38}, {50, 38}}) {
      EXPECT_TRUE(Near(image->At(x, y), c.expected(x, y))) << c.name << " at " << x << "," << y;
    }
  }
}

// Where the last scan of the file begins.
size_t LastScanStart(const std::vector<uint8_t>& jpeg) {
  size_t last = 0;
  for (size_t i = 2; i + 1 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) last = i;
  }
  return last;
}

// A copy interrupted in its last bytes, or a screen shot still being
// written, lacks only the end marker: that costs no pixel. Data cut off
// inside a scan, or a whole last scan missing, is still a failure.
TEST(DecodeJpeg, AFileLackingOnlyItsEndMarkerDecodesCompletely) {
  for (const bool progressive : {false, true}) {
    SCOPED_TRACE(progressive ? "progressive" : "baseline");
    const std::vector<uint8_t> file = EncodeTestJpeg(
        64, 48, JCS_RGB, [](int x, int y) { return Quadrants(x, y, 64, 48); }, progressive);
    ASSERT_GT(file.size(), 2u);
    ASSERT_EQ(file[file.size() - 2], 0xFF);
    ASSERT_EQ(file.back(), 0xD9);
    for (const auto& [fit_width, fit_height] : std::vector<std::pair<int, int>>{{0, 0}, {16, 12}}) {
      const std::optional<Image> whole = DecodeJpeg(file, fit_width, fit_height);
      const std::vector<uint8_t> unended(file.begin(), file.end() - 2);
      const std::optional<Image> decoded = DecodeJpeg(unended, fit_width, fit_height);
      ASSERT_TRUE(whole.has_value());
      ASSERT_TRUE(decoded.has_value()) << "fit " << fit_width;
      EXPECT_EQ(decoded->Width(), whole->Width());
      EXPECT_TRUE(decoded->Pixels() == whole->Pixels()) << "fit " << fit_width;
    }
    const std::vector<uint8_t> half(file.begin(),
                                    file.begin() + static_cast<std::ptrdiff_t>(file.size() / 2));
    EXPECT_FALSE(DecodeJpeg(half).has_value());
    if (progressive) {
      const size_t last_scan = LastScanStart(file);
      ASSERT_GT(last_scan, file.size() / 2);
      const std::vector<uint8_t> without_last_scan(
          file.begin(), file.begin() + static_cast<std::ptrdiff_t>(last_scan));
      EXPECT_FALSE(DecodeJpeg(without_last_scan).has_value());
    }
  }
}

TEST(DecodeJpeg, FitPicksTheSmallestScaleThatStillCovers) {
  struct Case {
    int width, height, fit_width, fit_height;
    int expected_width, expected_height;
  };
  const std::vector<Case> cases = {
      {640, 480, 0, 0, 640, 480},      // no fit: full size
      {640, 480, 480, 360, 640, 480},  // half would be too small
      {640, 480, 320, 240, 320, 240},
      {640, 480, 81, 60, 160, 120},  // one pixel too wide for an eighth
      {640, 480, 80, 60, 80, 60},
      {100, 75, 13, 10, 13, 10},  // partial blocks round up
  };
  for (const Case& c : cases) {
    const std::vector<uint8_t> file = EncodeTestJpeg(c.width, c.height, JCS_RGB, [&](int x, int y) {
      return Quadrants(x, y, c.width, c.height);
    });
    const std::optional<Image> image = DecodeJpeg(file, c.fit_width, c.fit_height);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->Width(), c.expected_width) << c.width << " fit " << c.fit_width;
    EXPECT_EQ(image->Height(), c.expected_height) << c.height << " fit " << c.fit_height;
    EXPECT_TRUE(Near(image->At(image->Width() / 4, image->Height() / 4), Rgb(220, 30, 30)));
  }
}

}  // namespace
}  // namespace hl::raster
