// A realistic small track drawn by all steps of an entry. With
// HOTLAP_KEEP_PICTURES naming a folder, the picture is kept there as
// track_preview.png for a look by eye.

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/trackfile/track_fixture.h"
#include "toolkit/raster/image_files.h"

namespace hl::testing {
namespace {

constexpr int kAsphalt = 0;
constexpr int kSand = 3;
constexpr int kWhiteLine = 9;
constexpr double kCentre = 256.0;
constexpr double kRadiusX = 190.0;
constexpr double kRadiusY = 130.0;

// Distance in pixels (roughly) from the centre line of an oval circuit.
double OffCentreLine(double x, double y) {
  const double dx = (x - kCentre) / kRadiusX;
  const double dy = (y - kCentre) / kRadiusY;
  return std::abs(std::sqrt(dx * dx + dy * dy) - 1.0) * kRadiusY;
}

std::vector<uint8_t> OvalCircuit() {
  std::vector<uint8_t> pixels(512 * 512, kGrass);
  for (int y = 0; y < 512; ++y) {
    for (int x = 0; x < 512; ++x) {
      const double off = OffCentreLine(x, y);
      uint8_t& pixel = pixels[static_cast<size_t>(y * 512 + x)];
      if (off < 18) {
        pixel = kAsphalt;
      } else if (off < 20) {
        pixel = kWhiteLine;
      } else if (off < 30 && x > 400) {
        pixel = kSand;  // run-off at the right-hand bend
      }
    }
  }
  return pixels;
}

trk::TrackFileContent RealisticTrack() {
  auto content = PlainTrack();
  content.scale = 200;  // ghost scale 59, rectangles 30 x 78
  content.runs = trk::EncodePicture(OvalCircuit());
  content.grid.fill(255);
  content.grid_threshold = 50;
  for (int row = 28; row < 36; ++row) {
    for (int column = 28; column < 36; ++column) {
      content.grid[static_cast<size_t>(row * 64 + column)] = 10;  // a patch in the infield
    }
  }
  // Marker dots inside the bend, boxes by the start line, stands outside.
  for (int i = 0; i < 12; ++i) {
    const double a = i * 0.25;
    const auto x = static_cast<int16_t>(2 * (kCentre + 150 * std::cos(a)));
    const auto y = static_cast<int16_t>(2 * (511 - (kCentre + 95 * std::sin(a))));
    content.objects.push_back({10, x, y, 0});
  }
  content.objects.push_back({9, 2 * 240, 2 * (511 - 90), 0});
  content.objects.push_back({9, 2 * 270, 2 * (511 - 90), 0});
  content.objects.push_back({17, 2 * 256, 2 * (511 - 460), 0});
  content.objects.push_back({18, 2 * 40, 2 * (511 - 256), 183});
  content.objects.push_back({17, 2 * 470, 2 * (511 - 60), 30});
  // One lap along the centre line, in game units (59 per pixel).
  for (int i = 0; i < 300; ++i) {
    const double a = 2 * 3.14159265 * i / 300;
    const double x = kCentre + kRadiusX * std::cos(a);
    const double y = 511 - (kCentre + kRadiusY * std::sin(a));
    content.ghost.push_back({static_cast<uint16_t>(x * 59), static_cast<uint16_t>(y * 59)});
  }
  return content;
}

TEST_F(TrackFileTest, RealisticTrackDrawsEveryLayer) {
  Load(RealisticTrack());
  DecodeAndDraw();
  ASSERT_FALSE(app.s.TrackFileInvalid);
  EXPECT_EQ(Log().size(), 6u);

  EXPECT_EQ(Pixel(256, 256), kGridMark);
  EXPECT_EQ(Pixel(256, 460), Palette(1));  // a stand's filling
  EXPECT_EQ(Pixel(256 + 190, 256), kGhostBlue);
  EXPECT_EQ(Pixel(256, 256 - 130 + 12), Palette(kAsphalt));
  EXPECT_EQ(Pixel(256, 530), kStrip);

  if (const char* folder = std::getenv("HOTLAP_KEEP_PICTURES"); folder && *folder) {
    EXPECT_TRUE(raster::SavePng(*app.s.Images.Get(1), std::string(folder) + "/track_preview.png"));
  }
}

}  // namespace
}  // namespace hl::testing
