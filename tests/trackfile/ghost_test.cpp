#include <string>
#include <vector>

#include "tests/trackfile/track_fixture.h"

namespace hl::testing {
namespace {

class GhostTest : public TrackFileTest {
 protected:
  void DrawGhost(trk::TrackFileContent content) {
    Load(content);
    Decode();
    trackfile::DrawTrackPicture(app.s, app.ui);
    trackfile::DrawGhost(app.s, app.ui);
  }
  int BluePixels() const {
    int blue = 0;
    for (int y = 0; y < 512; ++y) {
      for (int x = 0; x < 512; ++x) blue += Pixel(x, y) == kGhostBlue;
    }
    return blue;
  }
};

struct SampleCase {
  uint8_t scale;
  uint16_t gx;
  uint16_t gy;
  bool drawn;
  int px;
  int py;
};

TEST_F(GhostTest, SamplesLandOnTheNearestPixel) {
  const SampleCase cases[] = {
      {100, 295, 295, true, 10, 501},
      {100, 309, 295, true, 10, 501},   // 10.47
      {100, 310, 295, true, 11, 501},   // 10.51
      {100, 29, 30, true, 1, 510},      // 0.98 and 1.02: the first row and column inside
      {100, 0, 295, false, 0, 0},       // px 0
      {100, 295, 0, false, 0, 0},       // py 511
      {100, 15076, 295, false, 0, 0},   // px 511
      {100, 0xFFFF, 295, false, 0, 0},  // far right, not -1
      {100, 295, 0xFFFF, false, 0, 0},
      {255, 38000, 295, true, 505, 507},  // unsigned: a signed read would be negative
  };
  for (const SampleCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.gx) + "," + std::to_string(c.gy));
    auto content = PlainTrack();
    content.scale = c.scale;
    content.ghost = {{c.gx, c.gy}};
    DrawGhost(content);
    if (!c.drawn) {
      EXPECT_EQ(BluePixels(), 0);
      continue;
    }
    EXPECT_EQ(BluePixels(), 9);
    EXPECT_EQ(Pixel(c.px - 1, c.py - 1), kGhostBlue);
    EXPECT_EQ(Pixel(c.px + 1, c.py + 1), kGhostBlue);
  }
  EXPECT_FLOAT_EQ(app.s.GhostScale, 75.225f);
}

TEST_F(GhostTest, VisitsTheSamplesUpToGhostCountThatTheFileHolds) {
  struct Case {
    int16_t ghost_word;
    int samples_in_file;
    int dots;
  };
  const Case cases[] = {
      {4, 3, 3},              // GhostCount 2: samples 0, 1 and 2
      {4, 2, 2},              // sample 2 is not in the file
      {5, 3, 3},              // GhostCount 2, the odd byte dropped
      {2, 3, 2},              // GhostCount 1
      {0, 3, 1}, {-3, 3, 0},  // GhostCount -1
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ghost_word);
    auto content = PlainTrack();
    for (int i = 0; i < c.samples_in_file; ++i) {
      const auto at = static_cast<uint16_t>(2950 + 2950 * i);
      content.ghost.push_back({at, at});
    }
    content.ghost_word = c.ghost_word;
    DrawGhost(content);
    EXPECT_EQ(BluePixels(), 9 * c.dots);
  }
}

TEST_F(GhostTest, NoGhostWithoutASlotOneTime) {
  struct Case {
    int16_t time;
    uint8_t scale;
    bool logged;
    int blue;
  };
  const Case cases[] = {
      {6000, 100, true, 0},
      {5999, 100, false, 9},
      {6000, 0, true, 0},
      {4711, 0, false, 0},  // no scale: nothing to place the samples by
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.time) + " scale " + std::to_string(c.scale));
    auto content = PlainTrack();
    content.slots[1].time = c.time;
    content.scale = c.scale;
    content.ghost = {{2950, 2950}};
    app.ui.ClearText(state::id::kLogBox);
    DrawGhost(content);
    EXPECT_EQ(Log().back() == "kein Ghost!", c.logged);
    EXPECT_EQ(BluePixels(), c.blue);
  }
}

}  // namespace
}  // namespace hl::testing
