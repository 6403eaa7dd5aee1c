#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tests/raster/pixel_sets.h"
#include "toolkit/raster/draw.h"

namespace hl::raster {
namespace {

using testing::BlankImage;
using testing::kBlack;
using testing::kBlue;
using testing::kRed;
using testing::kWhite;
using testing::PixelsOfColor;

TEST(FloodFill, AbsentBorderColourPaintsTheWholeImage) {
  Image image = BlankImage(450, 80);
  Box(image, 100, 10, 30, 30, kBlue);  // other colours are painted over too
  FloodFill(image, 0, 0, kWhite, kRed);
  EXPECT_EQ(testing::CountOfColor(image, kRed), 450u * 80u);
}

TEST(FloodFill, ClosedOutlinesOfLinesHoldTheFill) {
  using Polygon = std::vector<std::pair<int, int>>;
  struct Case {
    std::string name;
    Polygon corners;
    std::pair<int, int> inside;
  };
  const std::vector<Case> cases = {
      {"diamond", {{50, 5}, {95, 50}, {50, 95}, {5, 50}}, {50, 50}},
      {"shallow triangle", {{2, 40}, {97, 30}, {60, 55}}, {60, 42}},
      {"steep triangle", {{40, 2}, {55, 97}, {30, 60}}, {42, 60}},
      {"thin sliver", {{3, 3}, {96, 20}, {96, 30}}, {80, 21}},
  };
  for (const Case& c : cases) {
    Image image = BlankImage(100, 100);
    for (size_t i = 0; i < c.corners.size(); ++i) {
      const auto [x1, y1] = c.corners[i];
      const auto [x2, y2] = c.corners[(i + 1) % c.corners.size()];
      Line(image, x1, y1, x2, y2, kWhite);
    }
    const size_t outline = testing::CountOfColor(image, kWhite);
    FloodFill(image, c.inside.first, c.inside.second, kWhite, kRed);
    EXPECT_EQ(image.At(c.inside.first, c.inside.second), kRed) << c.name;
    for (const auto& [x, y] :
         std::vector<std::pair<int, int>>{{0, 0}, {99, 0}, {0, 99}, {99, 99}}) {
      EXPECT_EQ(image.At(x, y), kBlack) << c.name << " leaked to " << x << "," << y;
    }
    EXPECT_EQ(testing::CountOfColor(image, kWhite), outline) << c.name;
  }
}

TEST(FloodFill, StartsThatFillNothing) {
  struct Case {
    std::string name;
    int x, y;
    std::optional<Color> border;
  };
  const std::vector<Case> cases = {
      {"start on the border colour", 5, 5, kWhite},
      {"left of the image", -1, 5, kBlue},
      {"below the image", 5, 20, std::nullopt},
  };
  for (const Case& c : cases) {
    Image image = BlankImage(20, 20);
    Line(image, 0, 5, 19, 5, kWhite);
    const Image before = image;
    FloodFill(image, c.x, c.y, c.border, kRed);
    EXPECT_EQ(image.Pixels(), before.Pixels()) << c.name;
  }
}

TEST(FloodFill, StartColourModeIsFourConnected) {
  // Black pixels touching only at corners are separate regions.
  Image image = BlankImage(3, 3, kWhite);
  image.Set(0, 0, kBlack);
  image.Set(1, 1, kBlack);
  image.Set(2, 1, kBlack);
  FloodFill(image, 1, 1, std::nullopt, kRed);
  EXPECT_EQ(PixelsOfColor(image, kRed), (testing::PixelSet{{1, 1}, {2, 1}}));
  EXPECT_EQ(image.At(0, 0), kBlack);
}

TEST(FloodFill, StartColourModeStopsAtAnyOtherColour) {
  Image image = BlankImage(30, 10);
  Box(image, 10, 0, 1, 10, kBlue);  // wall
  Box(image, 2, 2, 3, 3, kWhite);   // island inside the region
  FloodFill(image, 0, 0, std::nullopt, kRed);
  EXPECT_EQ(testing::CountOfColor(image, kRed), 10u * 10u - 9u);
  EXPECT_EQ(testing::CountOfColor(image, kWhite), 9u);
  EXPECT_EQ(image.At(11, 0), kBlack);
}

// A fill colour that already covers the region must end, not repaint forever.
TEST(FloodFill, FillColourEqualToTheRegionTerminates) {
  Image image = BlankImage(40, 40);
  FloodFill(image, 3, 3, std::nullopt, kBlack);
  FloodFill(image, 3, 3, kWhite, kBlack);
  EXPECT_EQ(testing::CountOfColor(image, kBlack), 40u * 40u);
}

TEST(FloodFill, LargeSerpentineNeedsNoRecursion) {
  Image image = BlankImage(1200, 1200);
  // Walls with alternating gaps force a long winding path.
  for (int x = 2; x < 1200; x += 2) {
    const bool gap_at_top = (x / 2) % 2 == 0;
    Box(image, x, gap_at_top ? 1 : 0, 1, 1199, kWhite);
  }
  FloodFill(image, 0, 0, kWhite, kRed);
  EXPECT_EQ(image.At(1199, 600), kRed);
  EXPECT_EQ(testing::CountOfColor(image, kBlack), 0u);
}

// The pixels a fill from (x, y) may paint, by the plainest search.
testing::PixelSet Reachable(const Image& image, int x, int y, std::optional<Color> border) {
  const Color start = image.At(x, y);
  const auto paintable = [&](int px, int py) {
    if (!image.Inside(px, py)) return false;
    const Color c = image.At(px, py);
    return border ? c != *border : c == start;
  };
  testing::PixelSet reached;
  if (!paintable(x, y)) return reached;
  std::deque<std::pair<int, int>> open = {{x, y}};
  reached.emplace(x, y);
  while (!open.empty()) {
    const auto [px, py] = open.front();
    open.pop_front();
    for (const auto& [nx, ny] : {std::pair{px - 1, py}, {px + 1, py}, {px, py - 1}, {px, py + 1}}) {
      if (paintable(nx, ny) && reached.emplace(nx, ny).second) open.emplace_back(nx, ny);
    }
  }
  return reached;
}

// Random pictures of few colours give regions of every shape: pockets,
// combs and spirals the fill has to turn back into. The fill colour itself
// is among them, so border fills must pass through pixels that had it
// before; and pictures of changing sizes follow each other, so what one fill
// remembers must not leak into the next.
TEST(FloodFill, PaintsExactlyTheReachableRegion) {
  std::mt19937 random(7);
  const Color colours[] = {kBlack, kBlack, kBlack, kBlack, kWhite, kRed, kBlue};
  for (int round = 0; round < 400; ++round) {
    const int width = 1 + static_cast<int>(random() % 60);
    const int height = 1 + static_cast<int>(random() % 60);
    Image image = BlankImage(width, height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) image.Set(x, y, colours[random() % std::size(colours)]);
    }
    const int x = static_cast<int>(random() % static_cast<unsigned>(width));
    const int y = static_cast<int>(random() % static_cast<unsigned>(height));
    const std::optional<Color> border =
        random() % 2 == 0 ? std::optional<Color>(kWhite) : std::nullopt;
    Image expected = image;
    if (border || image.At(x, y) != kRed) {
      for (const auto& [px, py] : Reachable(image, x, y, border)) expected.Set(px, py, kRed);
    }
    FloodFill(image, x, y, border, kRed);
    ASSERT_EQ(image.Pixels(), expected.Pixels())
        << "round " << round << ": " << width << "x" << height << " from " << x << "," << y
        << (border ? " to the border" : "");
  }
}

}  // namespace
}  // namespace hl::raster
