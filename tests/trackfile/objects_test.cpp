#include <string>
#include <vector>

#include "tests/trackfile/track_fixture.h"

namespace hl::testing {
namespace {

constexpr int kUntouched = -1;  // the grass of the picture
constexpr int kOutlined = -2;

struct Point {
  int x;
  int y;
};

class ObjectsTest : public TrackFileTest {
 protected:
  void DrawObjects(const std::vector<trk::TrackObject>& objects, uint8_t scale = 100) {
    auto content = PlainTrack();
    content.scale = scale;
    content.objects = objects;
    Load(content);
    Decode();
    trackfile::DrawTrackPicture(app.s, app.ui);
    trackfile::DrawTrackObjects(app.s, app.ui);
  }
  raster::Color Expected(int what) const {
    if (what == kUntouched) return Palette(kGrass);
    if (what == kOutlined) return kOutline;
    return Palette(what);
  }
  void ExpectPixels(const std::vector<Point>& points, int what) {
    for (const Point& p : points) {
      SCOPED_TRACE(std::to_string(p.x) + "," + std::to_string(p.y));
      EXPECT_EQ(Pixel(p.x, p.y), Expected(what));
    }
  }
};

struct SmallObjectCase {
  const char* name;
  trk::TrackObject object;
  std::vector<Point> palette7;
  std::vector<Point> palette0;
  std::vector<Point> untouched;
};

TEST_F(ObjectsTest, DotsAndSquaresInsideTheirBounds) {
  const SmallObjectCase cases[] = {
      {"dot at (1, 1)", {10, 2, 1020, 0}, {{0, 0}, {1, 1}, {2, 2}}, {}, {{3, 1}}},
      {"dot at px 0", {10, 0, 500, 0}, {}, {}, {{0, 261}, {1, 261}}},
      {"dot at px -1", {10, -3, 500, 0}, {}, {}, {{0, 261}}},
      {"dot at px 510", {10, 1021, 500, 0}, {{509, 261}, {511, 262}}, {}, {{508, 261}}},
      {"dot at px 511", {10, 1022, 500, 0}, {}, {}, {{510, 261}, {511, 261}}},
      {"dot at py 511", {10, 500, 0, 0}, {}, {}, {{250, 511}, {250, 510}}},
      {"dot at py 510", {10, 500, 2, 0}, {{250, 511}, {249, 509}}, {}, {}},
      {"square at px 1",
       {9, 2, 500, 0},
       {{1, 261}},
       {{0, 259}, {3, 263}, {2, 261}},
       {{4, 261}, {1, 258}}},
      {"other types draw nothing", {11, 500, 500, 0}, {}, {}, {{250, 261}}},
  };
  for (const SmallObjectCase& c : cases) {
    SCOPED_TRACE(c.name);
    DrawObjects({c.object});
    ExpectPixels(c.palette7, 7);
    ExpectPixels(c.palette0, 0);
    ExpectPixels(c.untouched, kUntouched);
  }
}

TEST_F(ObjectsTest, SquaresAreDrawnAfterAllDots) {
  DrawObjects({{9, 500, 500, 0}, {10, 500, 500, 0}});
  EXPECT_EQ(Pixel(250, 261), Palette(7));
  EXPECT_EQ(Pixel(251, 261), Palette(0));  // the later dot lies under the square
}

struct RectangleCase {
  uint8_t scale;
  uint8_t angle;
  std::vector<Point> corners;
  std::vector<Point> inside;
  std::vector<Point> outside;
};

// Centred at (256, 256). The corners follow the game's single-precision
// heading (not an exact right angle for a = 0) and truncation.
TEST_F(ObjectsTest, RectanglesAreOutlinedAndFilled) {
  const RectangleCase cases[] = {
      {100,
       0,
       {{334, 224}, {335, 286}, {176, 225}, {177, 287}},
       {{256, 256}, {330, 256}, {180, 256}, {256, 228}, {256, 284}},
       {{340, 256}, {172, 256}, {256, 220}, {256, 291}}},
      {100,
       183,
       {{224, 177}, {286, 176}, {225, 335}, {287, 334}},
       {{256, 256}, {256, 180}, {256, 331}, {228, 256}, {283, 256}},
       {{256, 172}, {256, 340}, {220, 256}, {291, 256}}},
      {200,
       0,
       {{294, 240}, {295, 270}, {216, 241}, {217, 271}},
       {{256, 256}, {290, 256}, {220, 256}, {256, 244}, {256, 267}},
       {{300, 256}, {212, 256}, {256, 236}, {256, 275}}},
      {200,
       183,
       {{240, 217}, {270, 216}, {241, 295}, {271, 294}},
       {{256, 256}, {256, 220}, {256, 291}, {244, 256}, {267, 256}},
       {{256, 212}, {256, 299}, {236, 256}, {275, 256}}},
  };
  for (const RectangleCase& c : cases) {
    for (const uint8_t type : {uint8_t{17}, uint8_t{18}}) {
      SCOPED_TRACE("scale " + std::to_string(c.scale) + " angle " + std::to_string(c.angle) +
                   " type " + std::to_string(type));
      DrawObjects({{type, 512, 510, c.angle}}, c.scale);
      ExpectPixels(c.corners, kOutlined);
      ExpectPixels(c.inside, 1);
      ExpectPixels(c.outside, kUntouched);
    }
  }
}

TEST_F(ObjectsTest, HalfWidthBoundsTheCentreOnBothAxes) {
  // Scale 100: half width 31, so 31 <= px, py < 480.
  DrawObjects({{17, 60, 510, 0}, {17, 512, 2 * (511 - 480), 183}});
  EXPECT_EQ(Pixel(30, 256), Palette(kGrass));
  EXPECT_EQ(Pixel(256, 480), Palette(kGrass));

  // A centre on the bound is drawn although its back lies outside the image;
  // the fill stays inside the clipped outline.
  DrawObjects({{17, 62, 510, 0}, {17, 512, 2 * (511 - 479), 183}});
  EXPECT_EQ(Pixel(31, 256), Palette(1));
  EXPECT_EQ(Pixel(0, 256), Palette(1));
  EXPECT_EQ(Pixel(0, 200), Palette(kGrass));
  EXPECT_EQ(Pixel(256, 479), Palette(1));
  EXPECT_EQ(Pixel(256, 511), Palette(1));
  EXPECT_EQ(Pixel(256, 100), Palette(kGrass));
}

TEST_F(ObjectsTest, ScaleZeroDrawsNoRectanglesButStillTheDots) {
  DrawObjects({{17, 512, 510, 0}, {10, 100, 100, 0}}, 0);
  EXPECT_EQ(Pixel(256, 256), Palette(kGrass));
  EXPECT_EQ(Pixel(50, 461), Palette(7));
}

}  // namespace
}  // namespace hl::testing
