// The sample generator must produce what the evaluation expects of a real
// competition: a picture coding that covers the map exactly, ghosts on the
// road at the game's scale, drawable objects, and entry folders whose sorted
// order is the planned one.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>

#include "tools/competition/sample_competition.h"
#include "tools/competition/sample_course.h"
#include "tools/competition/sample_runs.h"
#include "tools/competition/sample_track_items.h"

namespace hl::competition {
namespace {

constexpr int kPixels = kMapSide * kMapSide;
constexpr uint8_t kScale = 200;

const SampleCourse& Course() {
  static const SampleCourse course;
  return course;
}

int RunLength(const RunPair& pair) { return pair.second * 16 + pair.first / 16; }

// Decodes the pairs the way the evaluation does: bottom row first.
std::vector<uint8_t> Decode(const std::vector<RunPair>& runs) {
  std::vector<uint8_t> map(kPixels, 255);
  int position = 0;
  for (const RunPair& pair : runs) {
    for (int i = 0; i < RunLength(pair) && position < kPixels; ++i, ++position) {
      const int y = kMapSide - 1 - position / kMapSide;
      map[static_cast<size_t>(y * kMapSide + position % kMapSide)] = pair.first & 15;
    }
  }
  return map;
}

TEST(SampleRuns, CodingCoversTheMapWithTheWantedNumberOfRuns) {
  const std::vector<uint8_t>& map = Course().Map();
  const size_t natural = EncodeMapRuns(map, 0).size();
  ASSERT_GT(natural, 1000u);
  struct Case {
    int target;
    bool keeps_picture;
  };
  const std::vector<Case> cases = {
      {0, true},
      {static_cast<int>(natural) + 5000, true},  // split: same picture
      {1000, false},                             // merged: fine detail lost
      {kMinRunTarget, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    const std::vector<RunPair> runs = EncodeMapRuns(map, c.target);
    if (c.target > 0) {
      EXPECT_EQ(runs.size(), static_cast<size_t>(c.target));
    }
    EXPECT_TRUE(std::all_of(runs.begin(), runs.end(), [](const RunPair& p) {
      return RunLength(p) >= 1 && RunLength(p) <= 4095;
    }));
    const int total = std::accumulate(runs.begin(), runs.end(), 0,
                                      [](int sum, const RunPair& p) { return sum + RunLength(p); });
    EXPECT_EQ(total, kPixels);
    if (c.keeps_picture) {
      EXPECT_EQ(Decode(runs), map);
    }
  }
}

TEST(SampleTrackItems, GhostsDriveOnTheRoadAtTheGameScale) {
  // The evaluation's own conversion: single precision, nearest, halves to even.
  const float ghost_scale = kScale * 29.5f / 100.0f;
  for (uint32_t driver : {0u, 1u, 6u, 97u}) {
    SCOPED_TRACE(driver);
    const std::vector<GhostSample> ghost = DriveGhost(Course(), 3000, driver, kScale);
    ASSERT_EQ(ghost.size(), 3000u);
    int off_road = 0;
    for (const GhostSample& sample : ghost) {
      const int px = static_cast<int>(std::nearbyint(sample.gx / ghost_scale));
      const int py = kMapSide - 1 - static_cast<int>(std::nearbyint(sample.gy / ghost_scale));
      const uint8_t ground = Course().GroundAt(px, py);
      off_road += ground == kAsphalt || ground == kLineMarking ? 0 : 1;
    }
    EXPECT_EQ(off_road, 0);
  }
}

TEST(SampleTrackItems, ObjectsOfEveryDrawnKindLieWhereTheyAreDrawn) {
  const std::vector<TrackObject> objects = PlaceObjects(Course(), 200, 50, kScale);
  ASSERT_EQ(objects.size(), 200u);
  const int half_width = 6200 / kScale / 2;
  auto count = [&](auto predicate) {
    return std::count_if(objects.begin(), objects.end(), predicate);
  };
  EXPECT_EQ(count([](const TrackObject& o) { return o.type == 17 || o.type == 18; }), 50);
  EXPECT_GT(count([](const TrackObject& o) { return o.type == 17; }), 0);
  EXPECT_GT(count([](const TrackObject& o) { return o.type == 9; }), 0);
  EXPECT_GT(count([](const TrackObject& o) { return o.type == 10; }), 0);
  EXPECT_GT(count([](const TrackObject& o) { return o.type != 9 && o.type != 10 && o.type < 17; }),
            0);
  for (const TrackObject& o : objects) {
    const int px = o.x / 2, py = kMapSide - 1 - o.y / 2;
    const int margin = o.type >= 17 ? half_width : 1;
    EXPECT_TRUE(px >= margin && px < 511 - margin && py >= margin && py < 511 - margin)
        << "type " << int(o.type) << " at " << px << "," << py;
  }
}

TEST(SamplePlan, FoldersSortInPlanOrder) {
  // The evaluation lists entry folders by name; the sample's cases and its
  // tie must come out in the planned order, also past the 26 first names.
  for (int entrants : {8, 98}) {
    const std::vector<SampleEntry> entries = PlanSampleEntries(entrants);
    ASSERT_EQ(entries.size(), static_cast<size_t>(entrants));
    EXPECT_TRUE(std::adjacent_find(entries.begin(), entries.end(),
                                   [](const auto& a, const auto& b) {
                                     return a.folder >= b.folder;
                                   }) == entries.end())
        << entrants;
  }
}

}  // namespace
}  // namespace hl::competition
