#include <gtest/gtest.h>

#include "tests/raster/pixel_sets.h"
#include "toolkit/raster/draw.h"

namespace hl::raster {
namespace {

// Every source pixel its own colour, so a pixel copied from the wrong place shows.
Image NumberedImage(int width, int height) {
  Image image = testing::BlankImage(width, height, testing::kBlack);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) image.Set(x, y, Rgb(x, y, 7));
  }
  return image;
}

struct Placement {
  const char* name;
  int x, y, width, height;
};

class DrawImagePlacements : public ::testing::TestWithParam<Placement> {};

// The target pixel by pixel: copied where the part lands inside both
// pictures, untouched everywhere else.
TEST_P(DrawImagePlacements, CopiesExactlyThePartThatFits) {
  const Placement& p = GetParam();
  const Image source = NumberedImage(9, 6);
  Image target = testing::BlankImage(12, 8, testing::kWhite);
  DrawImage(target, p.x, p.y, source, p.width, p.height);
  for (int y = 0; y < target.Height(); ++y) {
    for (int x = 0; x < target.Width(); ++x) {
      const int sx = x - p.x, sy = y - p.y;
      const bool copied =
          sx >= 0 && sy >= 0 && sx < p.width && sy < p.height && source.Inside(sx, sy);
      EXPECT_EQ(target.At(x, y), copied ? source.At(sx, sy) : testing::kWhite) << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Clipping, DrawImagePlacements,
                         ::testing::Values(Placement{"inside", 1, 1, 9, 6},
                                           Placement{"part", 2, 1, 4, 3},
                                           Placement{"left_top_cut", -3, -2, 9, 6},
                                           Placement{"right_bottom_cut", 8, 5, 9, 6},
                                           Placement{"part_larger_than_source", 0, 0, 50, 50},
                                           Placement{"outside", 12, 0, 9, 6},
                                           Placement{"far_left", -9, 0, 9, 6},
                                           Placement{"empty_part", 0, 0, 0, 6}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace hl::raster
