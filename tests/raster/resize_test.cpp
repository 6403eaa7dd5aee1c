#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/raster/pixel_sets.h"
#include "toolkit/raster/draw.h"
#include "toolkit/raster/resize.h"

namespace hl::raster {
namespace {

using testing::BlankImage;

Image Row(const std::vector<int>& greys) {
  Image image = *Image::Create(static_cast<int>(greys.size()), 1);
  for (size_t x = 0; x < greys.size(); ++x) image.Set(static_cast<int>(x), 0, Rgb(greys[x], greys[x], greys[x]));
  return image;
}

std::vector<int> RedsOf(const Image& image) {
  std::vector<int> reds;
  for (int x = 0; x < image.Width(); ++x) reds.push_back(RedOf(image.At(x, 0)));
  return reds;
}

TEST(ResizeSmooth, AveragesTheCoveredAreaWithFractionalWeights) {
  struct Case {
    std::string name;
    std::vector<int> source;
    int width;
    std::vector<int> expected;
  };
  const std::vector<Case> cases = {
      {"halve", {0, 100, 200, 40}, 2, {50, 120}},
      {"three to two", {0, 90, 180}, 2, {30, 150}},  // (0 + 90 / 2) / 1.5, (90 / 2 + 180) / 1.5
      {"to one", {10, 20, 30, 40, 51}, 1, {30}},     // 30.2 rounds down
      {"double", {0, 255}, 4, {0, 0, 255, 255}},
      {"two to three", {0, 90}, 3, {0, 45, 90}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RedsOf(ResizeSmooth(Row(c.source), c.width, 1)), c.expected) << c.name;
  }
}

TEST(ResizeSmooth, ScalesBothAxes) {
  Image source = BlankImage(4, 4);
  Box(source, 0, 0, 2, 2, Rgb(200, 100, 40));
  const Image scaled = ResizeSmooth(source, 2, 2);
  EXPECT_EQ(scaled.At(0, 0), Rgb(200, 100, 40));
  EXPECT_EQ(scaled.At(1, 0), Rgb(0, 0, 0));
  EXPECT_EQ(scaled.At(1, 1), Rgb(0, 0, 0));
  const Image column = ResizeSmooth(source, 1, 1);
  EXPECT_EQ(column.At(0, 0), Rgb(50, 25, 10));
}

TEST(ResizeSmooth, FlatColourStaysFlatAtAnySize) {
  const Color colour = Rgb(17, 130, 251);
  const Image source = BlankImage(1024, 768, colour);
  for (const auto& [width, height] : std::vector<std::pair<int, int>>{{480, 360}, {1023, 767}, {7, 3000}, {1, 1}}) {
    const Image scaled = ResizeSmooth(source, width, height);
    ASSERT_EQ(scaled.Width(), width);
    ASSERT_EQ(scaled.Height(), height);
    EXPECT_EQ(testing::CountOfColor(scaled, colour), static_cast<size_t>(width) * height);
  }
}

TEST(ResizeSmooth, SameSizeIsAnExactCopy) {
  Image source = BlankImage(5, 3);
  source.Set(1, 2, Rgb(1, 2, 3));
  EXPECT_EQ(ResizeSmooth(source, 5, 3).Pixels(), source.Pixels());
}

TEST(TryResizeSmooth, RefusesInvalidSides) {
  const Image source = BlankImage(5, 3);
  for (const auto& [width, height] : std::vector<std::pair<int, int>>{{0, 3}, {5, -1}, {Image::kMaxSide + 1, 2}}) {
    EXPECT_FALSE(TryResizeSmooth(source, width, height).has_value()) << width << "x" << height;
  }
}

}  // namespace
}  // namespace hl::raster
