#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "tests/raster/pixel_sets.h"
#include "toolkit/raster/draw.h"

namespace hl::raster {
namespace {

using testing::BlankImage;
using testing::PixelSet;
using testing::PixelsOfColor;

constexpr Color kInk = Rgb(255, 255, 255);

PixelSet Rect(int x0, int y0, int x1, int y1) {
  PixelSet set;
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) set.emplace(x, y);
  }
  return set;
}

TEST(Box, PaintsExactlyTheClippedRectangle) {
  struct Case {
    std::string name;
    int x, y, width, height;
    PixelSet expected;
  };
  const std::vector<Case> cases = {
      {"inside", 2, 3, 4, 2, Rect(2, 3, 5, 4)},
      {"single pixel", 7, 7, 1, 1, Rect(7, 7, 7, 7)},
      {"zero width", 2, 2, 0, 5, {}},
      {"zero height", 2, 2, 5, 0, {}},
      {"negative width", 5, 5, -3, 2, {}},
      {"negative height", 5, 5, 2, -3, {}},
      {"over the top-left corner", -5, -5, 7, 8, Rect(0, 0, 1, 2)},
      {"over the bottom-right corner", 595, 38, 10, 10, Rect(595, 38, 599, 39)},
      {"entirely outside", 600, 0, 5, 5, {}},
      {"huge", INT_MIN / 2, INT_MIN / 2, INT_MAX, INT_MAX, Rect(0, 0, 599, 39)},
      {"chart bar", 0, 0, 512, 30, Rect(0, 0, 511, 29)},
  };
  for (const Case& c : cases) {
    Image image = BlankImage(600, 40);
    Box(image, c.x, c.y, c.width, c.height, kInk);
    EXPECT_EQ(PixelsOfColor(image, kInk), c.expected) << c.name;
  }
}

// Runs are painted pixel by pixel up to a block of 16 pixels and in copies
// of that block beyond; every length around the block must come out exact,
// also in a colour whose channels differ and up to the clipped right edge.
TEST(Box, PaintsRunsOfAnyLengthInAnyColour) {
  constexpr int kWidth = 605;
  for (const Color colour : {Rgb(12, 200, 77), Rgb(90, 90, 90)}) {
    for (const int width : {1, 2, 15, 16, 17, 31, 32, 33, 47, 48, 49, 100, 600}) {
      for (const int x : {0, 1, 5}) {
        Image image = BlankImage(kWidth, 3);
        Box(image, x, 1, width, 1, colour);
        const PixelSet expected = Rect(x, 1, std::min(x + width, kWidth) - 1, 1);
        EXPECT_EQ(PixelsOfColor(image, colour), expected) << width << " from " << x;
        EXPECT_EQ(testing::CountOfColor(image, Rgb(0, 0, 0)), 3u * kWidth - expected.size())
            << width << " from " << x;
      }
    }
  }
}

PixelSet Diagonal(int length) {
  PixelSet set;
  for (int i = 0; i < length; ++i) set.emplace(i, i);
  return set;
}

TEST(Line, StraightLinesAndPoints) {
  struct Case {
    std::string name;
    int x1, y1, x2, y2;
    PixelSet expected;
  };
  const std::vector<Case> cases = {
      {"single point", 30, 30, 30, 30, {{30, 30}}},
      {"horizontal", 2, 5, 6, 5, Rect(2, 5, 6, 5)},
      {"horizontal reversed", 6, 5, 2, 5, Rect(2, 5, 6, 5)},
      {"vertical", 4, 1, 4, 9, Rect(4, 1, 4, 9)},
      {"diagonal", 0, 0, 3, 3, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
      {"anti-diagonal", 3, 0, 0, 3, {{3, 0}, {2, 1}, {1, 2}, {0, 3}}},
      {"point outside", -1, 4, -1, 4, {}},
      {"far ends clipped", -2000000000, 5, 2000000000, 5, Rect(0, 5, 39, 5)},
      {"extreme diagonal", INT_MIN, INT_MIN, INT_MAX, INT_MAX, Diagonal(40)},
  };
  for (const Case& c : cases) {
    Image image = BlankImage(40, 40);
    Line(image, c.x1, c.y1, c.x2, c.y2, kInk);
    EXPECT_EQ(PixelsOfColor(image, kInk), c.expected) << c.name;
  }
}

struct Segment {
  int x1, y1, x2, y2;
};

std::vector<Segment> RandomSegments(int count, int range) {
  std::mt19937 random(1234);
  std::uniform_int_distribution<int> coordinate(-range, range);
  std::vector<Segment> segments;
  for (int i = 0; i < count; ++i) {
    segments.push_back(
        {coordinate(random), coordinate(random), coordinate(random), coordinate(random)});
  }
  return segments;
}

bool EightConnected(const PixelSet& pixels) {
  if (pixels.empty()) return true;
  PixelSet reached = {*pixels.begin()};
  std::vector<std::pair<int, int>> open = {*pixels.begin()};
  while (!open.empty()) {
    const auto [x, y] = open.back();
    open.pop_back();
    for (int ny = -1; ny <= 1; ++ny) {
      for (int nx = -1; nx <= 1; ++nx) {
        const std::pair<int, int> next{x + nx, y + ny};
        if (pixels.contains(next) && reached.insert(next).second) open.push_back(next);
      }
    }
  }
  return reached.size() == pixels.size();
}

// Slanted lines may take any pixels that form a thin eight-connected chain
// between the end points.
TEST(Line, SlantedLinesAreThinConnectedChainsWithBothEnds) {
  for (const Segment& s : RandomSegments(300, 40)) {
    Image image = BlankImage(100, 100);
    Line(image, s.x1 + 50, s.y1 + 50, s.x2 + 50, s.y2 + 50, kInk);
    const PixelSet pixels = PixelsOfColor(image, kInk);
    const std::string where = std::to_string(s.x1) + "," + std::to_string(s.y1) + " -> " +
                              std::to_string(s.x2) + "," + std::to_string(s.y2);
    const int dx = s.x2 - s.x1;
    const int dy = s.y2 - s.y1;
    ASSERT_EQ(pixels.size(), static_cast<size_t>(std::max(std::abs(dx), std::abs(dy)) + 1))
        << where;
    EXPECT_TRUE(pixels.contains({s.x1 + 50, s.y1 + 50})) << where;
    EXPECT_TRUE(pixels.contains({s.x2 + 50, s.y2 + 50})) << where;
    EXPECT_TRUE(EightConnected(pixels)) << where;
  }
}

// Clipping must not move pixels: a small image shows exactly the part of
// the line a large image shows.
TEST(Line, ClippingKeepsThePixelsOfTheUnclippedLine) {
  for (const Segment& s : RandomSegments(300, 60)) {
    Image large = BlankImage(200, 200);
    Line(large, s.x1 + 100, s.y1 + 100, s.x2 + 100, s.y2 + 100, kInk);
    Image small = BlankImage(20, 12);
    Line(small, s.x1, s.y1, s.x2, s.y2, kInk);
    PixelSet expected;
    for (const auto& [x, y] : PixelsOfColor(large, kInk)) {
      if (x - 100 >= 0 && x - 100 < 20 && y - 100 >= 0 && y - 100 < 12)
        expected.emplace(x - 100, y - 100);
    }
    EXPECT_EQ(PixelsOfColor(small, kInk), expected)
        << s.x1 << "," << s.y1 << " -> " << s.x2 << "," << s.y2;
  }
}

TEST(LineBy, LeavesOutTheEndPoint) {
  struct Case {
    std::string name;
    int x, y, dx, dy;
    PixelSet expected;
  };
  const std::vector<Case> cases = {
      {"down five", 30, 30, 0, 5, Rect(30, 30, 30, 34)},
      {"right five", 10, 3, 5, 0, Rect(10, 3, 14, 3)},
      {"left three", 10, 3, -3, 0, Rect(8, 3, 10, 3)},
      {"one step", 7, 7, 1, 1, {{7, 7}}},
      {"no offset", 7, 7, 0, 0, {}},
  };
  for (const Case& c : cases) {
    Image image = BlankImage(40, 40);
    LineBy(image, c.x, c.y, c.dx, c.dy, kInk);
    EXPECT_EQ(PixelsOfColor(image, kInk), c.expected) << c.name;
  }
}

TEST(LineBy, IsTheLineWithoutItsLastPoint) {
  for (const Segment& s : RandomSegments(200, 30)) {
    if (s.x1 == s.x2 && s.y1 == s.y2) continue;
    Image full = BlankImage(80, 80);
    Line(full, s.x1 + 40, s.y1 + 40, s.x2 + 40, s.y2 + 40, kInk);
    PixelSet expected = PixelsOfColor(full, kInk);
    expected.erase({s.x2 + 40, s.y2 + 40});
    Image by = BlankImage(80, 80);
    LineBy(by, s.x1 + 40, s.y1 + 40, s.x2 - s.x1, s.y2 - s.y1, kInk);
    EXPECT_EQ(PixelsOfColor(by, kInk), expected);
  }
}

}  // namespace
}  // namespace hl::raster
