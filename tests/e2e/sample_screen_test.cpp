// The sample's screen pictures stand in for real captures in the benchmarks,
// so they must be as costly to decode as real ones, the same on every run,
// and drawn where the circuit really is.

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/temp_dir.h"
#include "toolkit/raster/image_files.h"
#include "tools/competition/picture_writer.h"
#include "tools/competition/sample_competition.h"
#include "tools/competition/sample_course.h"
#include "tools/competition/screen_road_frame.h"
#include "tools/competition/screen_scenery.h"
#include "tools/competition/screen_shot.h"

namespace hl::competition {
namespace {

const SampleCourse& Course() {
  static const SampleCourse course;
  return course;
}

ScreenMoment Moment(uint32_t seed, int16_t lap_time) {
  ScreenMoment moment;
  moment.seed = seed;
  moment.lap_time = lap_time;
  moment.record_time = 5200;
  for (int i = 0; i < 400; ++i) {
    const CoursePoint p = Course().At(i / 400.0);
    moment.lap.push_back({p.x, p.y});
  }
  return moment;
}

TEST(SampleScreen, FullSizeCaptureCompressesLikeARealOne) {
  // Real captures at 1024 x 768 and quality 90 take 150 to 300 KB; flat
  // colours would take a tenth of that and decode far faster.
  const ScreenCamera camera(Course(), 1024, 768, nullptr);
  const size_t bytes = competition::EncodeJpeg(camera.Capture(Moment(3, 5123)), 90).size();
  EXPECT_GT(bytes, 150u * 1024);
  EXPECT_LT(bytes, 300u * 1024);
}

TEST(SampleScreen, CapturesAreRepeatableAndDifferPerEntrant) {
  const ScreenCamera camera(Course(), 320, 240, nullptr);
  const ScreenCamera again(Course(), 320, 240, nullptr);
  EXPECT_EQ(camera.Capture(Moment(5, 5123)).Pixels(), again.Capture(Moment(5, 5123)).Pixels());
  EXPECT_NE(camera.Capture(Moment(5, 5123)).Pixels(), camera.Capture(Moment(6, 5123)).Pixels());
}

TEST(SampleScreen, WrittenScreensRepeatAndLoadAtTheirSize) {
  SampleOptions options;
  options.screen_width = 200;
  options.screen_height = 150;
  const testing::TempDir first, second;
  ASSERT_FALSE(WriteSampleCompetition(first.Path(), options));
  ASSERT_FALSE(WriteSampleCompetition(second.Path(), options));
  int screens = 0;
  for (const SampleEntry& entry : PlanSampleEntries(options.entrants)) {
    if (!entry.has_screen) continue;
    SCOPED_TRACE(entry.folder);
    const std::string name = entry.folder + (entry.bmp_screen ? "/Screen.BMP" : "/screen.jpg");
    const std::vector<uint8_t> bytes = first.ReadFile(name);
    EXPECT_EQ(bytes, second.ReadFile(name));
    const std::optional<raster::Image> picture = raster::DecodePicture(bytes);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Width(), 200);
    EXPECT_EQ(picture->Height(), 150);
    ++screens;
  }
  EXPECT_EQ(screens, 7);
}

TEST(SampleScreen, LapTimeChangesOnlyTheTimingPanel) {
  Result<raster::Font> font = raster::LoadLabelFont();
  ASSERT_TRUE(font);
  const ScreenCamera camera(Course(), 640, 480, &*font);
  const raster::Image with_time = camera.Capture(Moment(2, 5123));
  const raster::Image without = camera.Capture(Moment(2, 6000));
  int changed = 0, outside_panel = 0;
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) {
      if (with_time.At(x, y) == without.At(x, y)) continue;
      ++changed;
      outside_panel += x >= 10 + 176 || y >= 10 + 2 * font->LineHeight() + 12;
    }
  }
  EXPECT_GT(changed, 20);
  EXPECT_EQ(outside_panel, 0);
}

TEST(SampleScreen, ExtremeSidesGiveTheAskedSize) {
  struct Case {
    int width, height;
  };
  for (const Case c : {Case{16, 16}, Case{17, 300}, Case{300, 17}, Case{1000, 40}}) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    const ScreenCamera camera(Course(), c.width, c.height, nullptr);
    ScreenMoment waiting = Moment(1, 6000);
    waiting.lap.clear();
    for (const ScreenMoment& moment : {Moment(1, 5123), waiting}) {
      const raster::Image picture = camera.Capture(moment);
      EXPECT_EQ(picture.Width(), c.width);
      EXPECT_EQ(picture.Height(), c.height);
    }
  }
}

TEST(SampleScreen, RoadFrameMeasuresAlongAndAcrossTheRoad) {
  const RoadFrame frame(Course());
  const double lap = 2048 * std::hypot(Course().At(0.5).x - Course().At(0.5 + 1 / 2048.0).x,
                                       Course().At(0.5).y - Course().At(0.5 + 1 / 2048.0).y);
  struct Case {
    double fraction;
    float across;
  };
  for (const Case c :
       {Case{0.001, 0}, Case{0.25, 9}, Case{0.5, -14}, Case{0.76, 5}, Case{0.999, -3}}) {
    SCOPED_TRACE(c.fraction);
    const CoursePoint p = Course().At(c.fraction);
    const auto place = frame.Locate(p.x + p.nx * c.across, p.y + p.ny * c.across);
    ASSERT_TRUE(place);
    EXPECT_NEAR(place->across, c.across, 0.3);
    // Spacing varies a little with the curvature, so the lap length is rough.
    EXPECT_NEAR(place->along / lap, c.fraction, 0.02);
  }
  EXPECT_FALSE(frame.Locate(256, 256));  // the middle of the infield
  EXPECT_FALSE(frame.Locate(-5, 10));
}

TEST(SampleScreen, TreesStandOnGrassAndShadowsFallToTheLowerRight) {
  const Scenery scenery(Course());
  int trees = 0;
  for (int y = -Scenery::kBorder; y < kMapSide + Scenery::kBorder; ++y) {
    for (int x = -Scenery::kBorder; x < kMapSide + Scenery::kBorder; ++x) {
      const Tree* tree = scenery.TreeNear(x + 0.5f, y + 0.5f);
      if (!tree || std::hypot(x + 0.5f - tree->x, y + 0.5f - tree->y) > tree->radius) continue;
      ++trees;
      EXPECT_EQ(Course().GroundAt(x, y), kGrass) << x << "," << y;
    }
  }
  EXPECT_GT(trees, 1000);
  // The hall in the infield spans 170..213 x 300..313.
  EXPECT_GT(scenery.ShadowAt(210.5f, 316.5f), 0.5f);
  EXPECT_LT(scenery.ShadowAt(172.5f, 297.5f), 0.05f);
  EXPECT_LT(scenery.ShadowAt(166.5f, 305.5f), 0.05f);
}

}  // namespace
}  // namespace hl::competition
