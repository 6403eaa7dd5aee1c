#include <string>
#include <vector>

#include "tests/trackfile/track_fixture.h"
#include "toolkit/raster/draw.h"

namespace hl::testing {
namespace {

struct PixelIs {
  int x;
  int y;
  int palette_index;
};

struct RunCase {
  const char* name;
  std::vector<trk::RunPair> runs;
  std::vector<PixelIs> expected;
};

std::vector<trk::RunPair> AllButLastPixel(int colour) {
  std::vector<trk::RunPair> runs(64, trk::Run(colour, 4095));  // 262,080 pixels
  runs.push_back(trk::Run(colour, 63));
  return runs;
}

// Each case ends with a run of colour 4 that shows where the next run starts.
TEST_F(TrackFileTest, DecodesRunsFromTheBottomRowUp) {
  auto overflowing = AllButLastPixel(2);
  overflowing.push_back(trk::Run(3, 100));  // passes the top row
  overflowing.push_back(trk::Run(4, 10));   // after the picture is full

  const RunCase cases[] = {
      {"a run of length 0 draws nothing",
       {trk::Run(3, 0), trk::Run(2, 1), trk::Run(4, 1)},
       {{0, 511, 2}, {1, 511, 4}}},
      {"a run ending at x = 511",
       {trk::Run(2, 512), trk::Run(3, 1), trk::Run(4, 1)},
       {{511, 511, 2}, {0, 510, 3}, {1, 510, 4}}},
      {"a run of 4095",
       {trk::Run(2, 4095), trk::Run(3, 1), trk::Run(4, 1)},
       {{0, 505, 2}, {511, 505, 2}, {510, 504, 2}, {511, 504, 3}, {0, 503, 4}}},
      {"a run over the top row", overflowing, {{0, 0, 2}, {510, 0, 2}, {511, 0, 3}, {0, 511, 2}}},
  };
  for (const RunCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto content = PlainTrack();
    content.runs = c.runs;
    Load(content);
    Decode();
    trackfile::DrawTrackPicture(app.s, app.ui);
    for (const PixelIs& p : c.expected) {
      SCOPED_TRACE(std::to_string(p.x) + "," + std::to_string(p.y));
      EXPECT_EQ(Pixel(p.x, p.y), Palette(p.palette_index));
    }
  }
}

// The strip as it must look: texts drawn by the same primitives.
raster::Image ExpectedStrip(const raster::Font& font, const std::string& time,
                            const std::string& name, const std::string& caption) {
  raster::Image image = *raster::Image::Create(512, 560);
  raster::Box(image, 0, 512, 512, 48, kStrip);
  const raster::Color white = raster::Rgb(255, 255, 255);
  raster::DrawText(image, font, 20, 530, time, white, kStrip);
  raster::DrawText(image, font, 90, 520, name, white, kStrip);
  raster::DrawText(image, font, 90, 540, caption, white, kStrip);
  return image;
}

struct CaptionCase {
  int16_t slot1;
  int16_t slot0;
  const char* time;
  const char* caption;
};

TEST_F(TrackFileTest, CaptionShowsTheBestTimeAndWhoDroveIt) {
  const CaptionCase cases[] = {
      {4711, 5123, "47.11", "Anna / Formel K"}, {5999, 5123, "59.99", "Anna / Formel K"},
      {6000, 5123, "51.23", "Bert / Oldtimer"}, {6000, 6000, "60.00", "no Best Time"},
      {7000, 10000, "100.00", "no Best Time"},  {1000, 5123, "10.00", "Anna / Formel K"},
      {100, 5123, "1.00", "Anna / Formel K"},   {87, 5123, "0.87", "Anna / Formel K"},
      {-150, 5123, "-1.50", "Anna / Formel K"},  // negative times count as times
  };
  ASSERT_TRUE(app.s.LogFont);
  for (const CaptionCase& c : cases) {
    SCOPED_TRACE(c.time);
    auto content = PlainTrack();
    content.slots[1].time = c.slot1;
    content.slots[0].time = c.slot0;
    Load(content);
    Decode();
    trackfile::DrawTrackPicture(app.s, app.ui);

    const raster::Image expected = ExpectedStrip(*app.s.LogFont, c.time, "rennen", c.caption);
    int differing = 0;
    for (int y = 512; y < 560; ++y) {
      for (int x = 0; x < 512; ++x) differing += Pixel(x, y) != expected.At(x, y);
    }
    EXPECT_EQ(differing, 0);
  }
  EXPECT_EQ(Pixel(0, 559), kStrip);
  EXPECT_TRUE(app.ui.ShownImageSize(state::id::kLineView).has_value());
}

TEST_F(TrackFileTest, TrackBaseNameIsTheFileNameWithoutExtension) {
  struct Case {
    std::string path;
    std::string base_name;
  };
  const Case cases[] = {
      {"/wettbewerb/anna/rennen.trk", "rennen"},
      {"/wettbewerb/anna/.trk", "vorher"},
      {"/wettbewerb/anna/abc", "vorher"},
      {"C:\\wettbewerb\\N\xC3\xBCrburg.trk", "N\xC3\xBCrburg"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    app.s.TrackBaseName = "vorher";
    Load(trk::BuildTrackFile(PlainTrack()), c.path);
    Decode();
    trackfile::DrawTrackPicture(app.s, app.ui);
    EXPECT_EQ(app.s.TrackBaseName, c.base_name);
  }
}

class GridTest : public TrackFileTest {
 protected:
  void DrawGrid(uint8_t threshold, const std::array<uint8_t, 4096>& cells) {
    auto content = PlainTrack();
    content.grid_threshold = threshold;
    content.grid = cells;
    Load(content);
    Decode();
    trackfile::DrawTrackPicture(app.s, app.ui);
    trackfile::DrawGrid(app.s, app.ui);
  }
  int MarkedPixels() const {
    int marked = 0;
    for (int y = 0; y < 512; ++y) {
      for (int x = 0; x < 512; ++x) marked += Pixel(x, y) == kGridMark;
    }
    return marked;
  }
};

TEST_F(GridTest, MarksCellsBelowTheThresholdOnePixelAboveThePicture) {
  std::array<uint8_t, 4096> cells;
  cells.fill(200);
  cells[0] = 99;     // bottom left: marked
  cells[1] = 100;    // equal to the threshold: not marked
  cells[4032] = 0;   // top left
  cells[4095] = 50;  // top right
  DrawGrid(100, cells);

  EXPECT_EQ(Pixel(0, 503), kGridMark);
  EXPECT_EQ(Pixel(7, 510), kGridMark);
  EXPECT_EQ(Pixel(0, 511), Palette(kGrass));  // the bottom row is never marked
  EXPECT_EQ(Pixel(8, 510), Palette(kGrass));
  EXPECT_EQ(Pixel(0, 502), Palette(kGrass));
  EXPECT_EQ(Pixel(0, 0), kGridMark);
  EXPECT_EQ(Pixel(7, 6), kGridMark);
  EXPECT_EQ(Pixel(0, 7), Palette(kGrass));
  EXPECT_EQ(Pixel(511, 0), kGridMark);
  EXPECT_EQ(Pixel(504, 6), kGridMark);
  // Three whole cells and the top row's cell cut by the image edge.
  EXPECT_EQ(MarkedPixels(), 64 + 56 + 56);
}

TEST_F(GridTest, ThresholdExtremes) {
  std::array<uint8_t, 4096> cells;
  cells.fill(0);
  DrawGrid(0, cells);
  EXPECT_EQ(MarkedPixels(), 0);

  cells.fill(254);
  cells[100] = 255;
  DrawGrid(255, cells);
  // All cells but one are marked; those of the top row lose their row y = -1.
  EXPECT_EQ(MarkedPixels(), (4095 - 64) * 64 + 64 * 56);
  EXPECT_EQ(Pixel(8 * 36, 503 - 8), Palette(kGrass));  // cell 100: column 36, row 1
}

}  // namespace
}  // namespace hl::testing
