// The ghost overlay colours each lap's samples with its place's colour,
// keeps the faster lap on top where two cross, and leaves out a lap driven
// on another track.

#include <gtest/gtest.h>

#include "publish/ghost_overlay.h"
#include "toolkit/raster/draw.h"

namespace hl::testing {
namespace {

constexpr raster::Color kGround = raster::Rgb(90, 90, 90);

record::SharedList<record::GhostPoint> Ghost(std::vector<record::GhostPoint> points) {
  return points;
}

TEST(GhostOverlay, ColoursEachPlaceAndLeavesOutOtherTracks) {
  auto track = raster::Image::Create(512, 512);
  ASSERT_TRUE(track);
  raster::Box(*track, 0, 0, 512, 512, kGround);
  auto font = raster::LoadLabelFont();
  ASSERT_TRUE(font) << font.error().Describe();

  const std::vector<publish::OverlayLap> laps = {
      {.place = 1, .driver = "Hugo", .ghost = Ghost({{100, 100}, {200, 200}})},
      {.place = 2,
       .driver = "Anna",
       .ghost = Ghost({{200, 200}, {300, 120}})},  // crosses Hugo at 200,200
      {.place = 3, .driver = "Finn", .ghost = Ghost({{400, 400}}), .other_track = true},
      {.place = 4,
       .driver = "Dora",
       .ghost = Ghost({{0, 0}, {50, 450}})},  // 0,0 is outside the drawn bounds
  };
  const auto overlay = publish::GhostOverlay(*track, laps, *font);
  ASSERT_TRUE(overlay);
  EXPECT_EQ(overlay->Width(), 512);
  EXPECT_GT(overlay->Height(), 512 + 4 * 18);

  struct Pixel {
    int x, y;
    raster::Color colour;
  };
  const Pixel pixels[] = {
      {100, 100, publish::PlaceColour(0)},
      {101, 99, publish::PlaceColour(0)},
      {200, 200, publish::PlaceColour(0)},
      {300, 120, publish::PlaceColour(1)},
      {400, 400, kGround},
      {50, 450, publish::PlaceColour(3)},
      {0, 0, kGround},
      {102, 100, kGround},
  };
  for (const Pixel& p : pixels) {
    EXPECT_EQ(overlay->At(p.x, p.y), p.colour) << p.x << "," << p.y;
  }
  for (size_t i = 0; i + 1 < laps.size(); ++i) {
    EXPECT_NE(publish::PlaceColour(i), publish::PlaceColour(i + 1));
    EXPECT_NE(publish::PlaceColour(i), kGround);
  }
}

}  // namespace
}  // namespace hl::testing
