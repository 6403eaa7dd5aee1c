#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "tests/raster/pixel_sets.h"
#include "toolkit/raster/draw.h"
#include "toolkit/raster/resize.h"
#include "toolkit/raster/resize_passes.h"

namespace hl::raster {
namespace {

using testing::BlankImage;

Image Row(const std::vector<int>& greys) {
  Image image = *Image::Create(static_cast<int>(greys.size()), 1);
  for (size_t x = 0; x < greys.size(); ++x)
    image.Set(static_cast<int>(x), 0, Rgb(greys[x], greys[x], greys[x]));
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
    EXPECT_EQ(RedsOf(ResizeSmooth(Row(c.source), c.width, 1).value()), c.expected) << c.name;
  }
}

TEST(ResizeSmooth, ScalesBothAxes) {
  Image source = BlankImage(4, 4);
  Box(source, 0, 0, 2, 2, Rgb(200, 100, 40));
  const Image scaled = ResizeSmooth(source, 2, 2).value();
  EXPECT_EQ(scaled.At(0, 0), Rgb(200, 100, 40));
  EXPECT_EQ(scaled.At(1, 0), Rgb(0, 0, 0));
  EXPECT_EQ(scaled.At(1, 1), Rgb(0, 0, 0));
  const Image column = ResizeSmooth(source, 1, 1).value();
  EXPECT_EQ(column.At(0, 0), Rgb(50, 25, 10));
}

TEST(ResizeSmooth, FlatColourStaysFlatAtAnySize) {
  const Color colour = Rgb(17, 130, 251);
  const Image source = BlankImage(1024, 768, colour);
  for (const auto& [width, height] :
       std::vector<std::pair<int, int>>{{480, 360}, {1023, 767}, {7, 3000}, {1, 1}}) {
    const Image scaled = ResizeSmooth(source, width, height).value();
    ASSERT_EQ(scaled.Width(), width);
    ASSERT_EQ(scaled.Height(), height);
    EXPECT_EQ(testing::CountOfColor(scaled, colour), static_cast<size_t>(width) * height);
  }
}

TEST(ResizeSmooth, SameSizeIsAnExactCopy) {
  Image source = BlankImage(5, 3);
  source.Set(1, 2, Rgb(1, 2, 3));
  EXPECT_EQ(ResizeSmooth(source, 5, 3).value().Pixels(), source.Pixels());
}

Image RandomImage(int width, int height, std::mt19937& random) {
  Image image = *Image::Create(width, height);
  for (uint8_t& byte : image.Pixels()) byte = static_cast<uint8_t>(random());
  return image;
}

// The share of each source pixel in each target pixel along one axis, as
// exact fractions of the target's area.
std::vector<std::vector<double>> AreaShares(int source, int target) {
  std::vector<std::vector<double>> shares(static_cast<size_t>(target),
                                          std::vector<double>(static_cast<size_t>(source)));
  for (int t = 0; t < target; ++t) {
    const double lo = double{1} * t * source;
    const double hi = lo + source;
    for (int s = 0; s < source; ++s) {
      const double covered =
          std::min(hi, double{1} * (s + 1) * target) - std::max(lo, double{1} * s * target);
      if (covered > 0) shares[static_cast<size_t>(t)][static_cast<size_t>(s)] = covered / source;
    }
  }
  return shares;
}

// Rows, then columns, without any rounding.
std::vector<double> ExactAreaAverage(const Image& source, int width, int height) {
  const auto across = AreaShares(source.Width(), width);
  const auto down = AreaShares(source.Height(), height);
  std::vector<double> rows(static_cast<size_t>(source.Height()) * width * 3);
  for (int y = 0; y < source.Height(); ++y) {
    for (int x = 0; x < width; ++x) {
      for (int s = 0; s < source.Width(); ++s) {
        const double share = across[static_cast<size_t>(x)][static_cast<size_t>(s)];
        if (share == 0) continue;
        const Color c = source.At(s, y);
        const size_t at = (static_cast<size_t>(y) * width + x) * 3;
        rows[at] += share * RedOf(c);
        rows[at + 1] += share * GreenOf(c);
        rows[at + 2] += share * BlueOf(c);
      }
    }
  }
  std::vector<double> exact(static_cast<size_t>(height) * width * 3);
  for (int y = 0; y < height; ++y) {
    for (int s = 0; s < source.Height(); ++s) {
      const double share = down[static_cast<size_t>(y)][static_cast<size_t>(s)];
      if (share == 0) continue;
      for (size_t i = 0; i < static_cast<size_t>(width) * 3; ++i) {
        exact[static_cast<size_t>(y) * width * 3 + i] +=
            share * rows[static_cast<size_t>(s) * width * 3 + i];
      }
    }
  }
  return exact;
}

// Fixed-point weights and two roundings keep every channel within one of
// the exact average. Mixed-up rows, lanes or channels, or a scaled row
// overwritten too early, are off by far more on random pictures. The sizes
// cover rows scaled eight at a time and the rows left over, rows whose
// length is no whole number of vectors, few and many source pixels per
// target pixel, and enlarging.
TEST(ResizeSmooth, StaysWithinOneOfTheExactAreaAverage) {
  struct Case {
    int source_width, source_height, width, height;
  };
  const std::vector<Case> cases = {
      {512, 384, 480, 360},  // the usual screen picture
      {1024, 77, 480, 36},   // two to three source pixels a target pixel
      {37, 29, 35, 27},      // rows left over after blocks of eight
      {101, 23, 29, 9},      // three and more per target pixel
      {400, 40, 13, 5},      // thirty per target pixel
      {640, 10, 1, 1},       // everything into one pixel
      {3, 700, 2, 3},        // a tall reduction: many rows a target row
      {9, 17, 480, 360},     // enlarging
      {300, 9, 200, 27},     // narrower but taller
      {7, 300, 21, 100},     // wider but shorter
  };
  std::mt19937 random(2024);
  for (const Case& c : cases) {
    const std::string name = std::to_string(c.source_width) + "x" +
                             std::to_string(c.source_height) + " -> " + std::to_string(c.width) +
                             "x" + std::to_string(c.height);
    const Image source = RandomImage(c.source_width, c.source_height, random);
    const Image scaled = ResizeSmooth(source, c.width, c.height).value();
    ASSERT_EQ(scaled.Width(), c.width) << name;
    ASSERT_EQ(scaled.Height(), c.height) << name;
    const std::vector<double> exact = ExactAreaAverage(source, c.width, c.height);
    double worst = 0;
    for (size_t i = 0; i < exact.size(); ++i)
      worst = std::max(worst, std::abs(scaled.Pixels()[i] - exact[i]));
    EXPECT_LT(worst, 1.0) << name;
  }
}

// Every target row summed from its own taps, source rows scaled in the
// blocks the scaler uses: the pixels ResizeSmooth must give, whatever work
// it spares itself.
Image ScaledRowByRow(const Image& source, int width, int height) {
  const resize::AxisWeights columns(source.Width(), width);
  const resize::AxisWeights rows(source.Height(), height);
  resize::RowPass pass(source, columns);
  std::vector<std::vector<int16_t>> scaled(static_cast<size_t>(source.Height()),
                                           std::vector<int16_t>(pass.Stride()));
  for (size_t first = 0; first < scaled.size(); first += resize::kRowBlock) {
    std::vector<std::span<int16_t>> block;
    for (size_t y = first; y < std::min(scaled.size(), first + resize::kRowBlock); ++y)
      block.emplace_back(scaled[y]);
    pass.Scale(static_cast<int>(first), block);
  }
  Image target = *Image::Create(width, height);
  std::vector<uint32_t> sums(pass.Stride());
  for (int y = 0; y < height; ++y) {
    std::vector<std::span<const int16_t>> tap_rows;
    for (const resize::Tap& tap : rows.TapsOf(y)) tap_rows.emplace_back(scaled[tap.source]);
    resize::ScaleColumn(rows.TapsOf(y), tap_rows, sums, target.Row(y));
  }
  return target;
}

TEST(ResizeSmooth, GivesTheBytesOfEveryRowScaledOnItsOwn) {
  std::mt19937 random(7);
  for (const auto& [source_width, source_height, width, height] : std::vector<std::array<int, 4>>{
           {64, 48, 480, 360}, {9, 17, 480, 360}, {512, 384, 480, 360}, {7, 300, 21, 100}}) {
    const Image source = RandomImage(source_width, source_height, random);
    EXPECT_EQ(ResizeSmooth(source, width, height).value().Pixels(),
              ScaledRowByRow(source, width, height).Pixels())
        << source_width << "x" << source_height << " -> " << width << "x" << height;
  }
}

TEST(ResizeSmooth, RefusesInvalidSides) {
  const Image source = BlankImage(5, 3);
  for (const auto& [width, height] :
       std::vector<std::pair<int, int>>{{0, 3}, {5, -1}, {Image::kMaxSide + 1, 2}}) {
    EXPECT_FALSE(ResizeSmooth(source, width, height).has_value()) << width << "x" << height;
  }
}

}  // namespace
}  // namespace hl::raster
