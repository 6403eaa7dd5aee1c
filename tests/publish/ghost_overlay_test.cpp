// The ghost overlay colours each lap's samples with its place's colour,
// keeps the faster lap on top where two cross, and leaves out a lap driven
// on another track, and is the same picture drawn a band at a time.

#include <gtest/gtest.h>

#include "publish/ghost_overlay.h"
#include "toolkit/raster/band_rows.h"
#include "toolkit/raster/draw.h"
#include "toolkit/raster/image_files.h"

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
  const auto drawn = publish::GhostOverlay::Draw(*track, laps, *font);
  ASSERT_TRUE(drawn);
  EXPECT_EQ(drawn->Width(), 512);
  EXPECT_GT(drawn->Height(), 512 + 4 * 18);
  auto overlay = raster::Image::Create(drawn->Width(), drawn->Height());
  ASSERT_TRUE(overlay);
  drawn->DrawRows(*overlay, 0);

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

// Drawn a band at a time, whatever the band's height, and encoded from the
// bands, the overlay is the picture drawn whole: with a palette (few laps)
// and in truecolour (a colour a lap past 256).
TEST(GhostOverlay, DrawnInBandsIsThePictureDrawnWhole) {
  auto track = raster::Image::Create(512, 512);
  ASSERT_TRUE(track);
  raster::Box(*track, 0, 0, 512, 512, kGround);
  auto font = raster::LoadLabelFont();
  ASSERT_TRUE(font) << font.error().Describe();
  for (const int lap_count : {12, 300}) {
    std::vector<publish::OverlayLap> laps;
    for (int i = 0; i < lap_count; ++i) {
      laps.push_back({.place = i + 1,
                      .driver = "Driver " + std::to_string(i) + " gjpqy",
                      .ghost = Ghost({{10 + i % 490, 250}})});
    }
    const auto drawn = publish::GhostOverlay::Draw(*track, laps, *font);
    ASSERT_TRUE(drawn);
    auto whole = raster::Image::Create(drawn->Width(), drawn->Height());
    ASSERT_TRUE(whole);
    drawn->DrawRows(*whole, 0);
    const auto expected = raster::EncodePng(*whole, raster::PngCompression::kQuick);
    ASSERT_TRUE(expected);
    for (const int band_rows : {1, 7, 513, 1000}) {
      SCOPED_TRACE(std::to_string(lap_count) + " laps, bands of " + std::to_string(band_rows));
      auto band = raster::Image::Create(drawn->Width(), band_rows);
      ASSERT_TRUE(band);
      raster::BandRows rows(std::move(*band), [&](raster::Image& into, int first_row) {
        drawn->DrawRows(into, first_row);
      });
      const auto png = raster::EncodePngRows(
          drawn->Width(), drawn->Height(), [&rows](int y) { return rows.Row(y); },
          raster::PngCompression::kQuick);
      ASSERT_TRUE(png);
      EXPECT_TRUE(*png == *expected);
    }
  }
}

}  // namespace
}  // namespace hl::testing
