#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <tuple>

#include "tests/gamedata/gamedata_fixture.h"
#include "tools/competition/picture_writer.h"

namespace hl::testing {
namespace {

using Lines = std::vector<std::string>;
using state::id::kLineView;
using state::id::kScreenView;

raster::Image Flat(int width, int height, raster::Color colour) {
  raster::Image image = *raster::Image::Create(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) image.Set(x, y, colour);
  }
  return image;
}

TEST_F(GameDataTest, FilesAreRecognisedByTheirLastThreeCharacters) {
  struct Case {
    std::vector<std::string> files;
    std::string track, game, screen;
  };
  const std::vector<Case> cases{
      {{"a.TRK", "b.gam", "c.bmp"}, "a.TRK", "b.gam", "c.bmp"},
      {{"mytrk", "shot.jpeg", "x.GaM"}, "mytrk", "x.GaM", "nix"},
      {{"x.jpg", "y.bmp"}, "nix", "nix", "y.bmp"},
      {{"a.bmp", "b.jpg"}, "nix", "nix", "b.jpg"},
      {{"1.trk", "2.trk", "tk"}, "2.trk", "nix", "nix"},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    const std::string entry = "entry" + std::to_string(i);
    base.MakeDir(entry + "/folder.trk");
    for (const std::string& file : cases[i].files) base.WriteFile(entry + "/" + file, file);
  }
  Load();
  for (const Case& c : cases) {
    Step();
    SCOPED_TRACE(app.s.EntryDir);
    EXPECT_EQ(app.s.TrackFileName, c.track);
    EXPECT_EQ(app.s.GameFileName, c.game);
    EXPECT_EQ(app.s.ScreenFileName, c.screen);
    EXPECT_EQ(app.s.TrackFileLoaded, c.track != "nix");
    if (c.track != "nix") {
      // Each file holds its own name, so the bytes show which one was read.
      EXPECT_EQ(app.s.FilePath, app.s.EntryDir + c.track);
      EXPECT_EQ(app.s.DataSize, static_cast<int32_t>(c.track.size()));
      const auto region = app.s.Data->FileRegion();
      EXPECT_EQ(std::string(region.begin(), region.begin() + app.s.DataSize), c.track);
    }
  }
}

TEST_F(GameDataTest, EmptyEntryShowsPlaceholdersAndLogsWhatIsMissing) {
  base.MakeDir("first entry/only a folder");
  base.MakeDir("second");
  base.WriteFile("second/t.trk", "track");
  Load();
  Step();
  EXPECT_EQ(app.s.EntryDir, base.Path() + "first entry/");
  EXPECT_EQ(app.LogLines(), (Lines{" ", "Track fehlt in:", "first entry", "Screen fehlt"}));
  EXPECT_EQ(app.s.DataSize, 0);
  EXPECT_FALSE(app.s.TrackFileLoaded);
  for (const int view : {kLineView, kScreenView}) {
    EXPECT_EQ(app.ui.ShownImageSize(view)->width, 32);
    EXPECT_EQ(app.ui.ShownImageSize(view)->height, 32);
  }
  Step();
  EXPECT_EQ(app.LogLines(), (Lines{" ", "Screen fehlt"}));
  Step();  // past the last entry
  EXPECT_EQ(app.LogLines(), Lines{" "});
  EXPECT_EQ(app.s.TrackFileName, "nix");
}

TEST_F(GameDataTest, UnusableTrackFilesNeverReachTheBuffer) {
  constexpr int64_t kRegion = files::DataBuffer::kFileRegionSize;
  base.WriteFile("a/exact.trk", std::string(kRegion, '\x11'));
  base.WriteFile("b/big.trk", std::string(kRegion + 1, '\x22'));
  base.MakeDir("c");
  MakeFifo("c/x.trk");
  Load();
  Step();
  EXPECT_EQ(app.s.DataSize, kRegion);
  EXPECT_TRUE(app.s.TrackFileLoaded);
  Step();
  EXPECT_EQ(app.LogLines(), (Lines{" ", "Track zu gross: big.trk", "Screen fehlt"}));
  EXPECT_EQ(app.s.DataSize, 0);
  EXPECT_FALSE(app.s.TrackFileLoaded);
  EXPECT_EQ(app.s.Data->FileRegion()[0], 0x11);
  EXPECT_EQ(app.s.Data->CarArea()[0], 0);
  Step();
  EXPECT_EQ(app.LogLines(), (Lines{" ", "Track nicht lesbar: x.trk", "Screen fehlt"}));
  EXPECT_FALSE(app.s.TrackFileLoaded);
}

TEST_F(GameDataTest, ScreenPicturesAreScaledTo480x360) {
  const raster::Color red = raster::Rgb(200, 20, 20), green = raster::Rgb(10, 200, 30);
  const auto jpeg = competition::EncodeJpeg(Flat(640, 480, red), 90);
  // 101 pixels make BMP rows that need padding.
  const auto bmp = competition::EncodeBmp24(Flat(101, 50, green));
  // Entry -> screen file, its bytes and the colour shown (none: the placeholder).
  const std::map<std::string, std::tuple<std::string, std::vector<uint8_t>, raster::Color>> cases{
      {"jpeg", {"s.jpg", jpeg, red}},
      {"small bmp", {"s.bmp", bmp, green}},
      {"jpeg named bmp", {"s.bmp", jpeg, red}},
      {"text", {"s.jpg", {'n', 'o', 'p', 'e'}, 0}},
      {"cut bmp", {"s.bmp", {bmp.begin(), bmp.begin() + 60}, 0}},
  };
  for (const auto& [entry, c] : cases) base.WriteFile(entry + "/" + std::get<0>(c), std::get<1>(c));
  Load();
  for (size_t i = 0; i < cases.size(); ++i) {
    Step();
    SCOPED_TRACE(app.s.FolderList.Current());
    const raster::Color want = std::get<2>(cases.at(app.s.FolderList.Current()));
    const int side = want == 0 ? 32 : 480;
    // A picture that fails to decode is not logged.
    EXPECT_EQ(app.LogLines(), (Lines{" ", "Track fehlt in:", app.s.FolderList.Current()}));
    EXPECT_EQ(app.ui.ShownImageSize(kScreenView)->width, side);
    EXPECT_EQ(app.ui.ShownImageSize(kScreenView)->height, side == 32 ? 32 : 360);
    const raster::Image* scaled = app.s.Images.Get(state::id::kScaledScreenImage);
    ASSERT_EQ(scaled != nullptr, want != 0);
    if (scaled == nullptr) continue;
    const raster::Color centre = scaled->At(240, 180);
    EXPECT_NEAR(raster::RedOf(centre), raster::RedOf(want), 4);
    EXPECT_NEAR(raster::GreenOf(centre), raster::GreenOf(want), 4);
    EXPECT_NEAR(raster::BlueOf(centre), raster::BlueOf(want), 4);
  }
}

// The batch run asks only whether a screen decodes; the verdict must be the
// one the window's full decode reaches, on intact and on damaged pictures.
TEST_F(GameDataTest, ScreenVerdictWithoutPixelsIsTheFullDecodesVerdict) {
  raster::Image picture = Flat(320, 240, raster::Rgb(90, 140, 60));
  for (int y = 0; y < 240; y += 3) picture.Set((y * 7) % 320, y, raster::Rgb(250, 250, 250));
  const auto jpeg = competition::EncodeJpeg(picture, 90);
  const auto grey = competition::EncodeGreyJpeg(picture, 75);
  const auto bmp = competition::EncodeBmp24(picture);
  const auto cut = [](const std::vector<uint8_t>& bytes, size_t keep) {
    return std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(keep));
  };
  auto flipped = jpeg;
  for (size_t at = jpeg.size() / 3; at < jpeg.size() / 3 + 40; ++at) flipped[at] ^= 0x5A;
  const std::map<std::string, std::vector<uint8_t>> screens{
      {"jpeg", jpeg},
      {"grey", grey},
      {"bmp", bmp},
      {"jpeg-without-end-marker", cut(jpeg, jpeg.size() - 2)},
      {"jpeg-cut-in-scan", cut(jpeg, jpeg.size() / 2)},
      {"jpeg-header-only", cut(jpeg, 200)},
      {"jpeg-flipped", flipped},
      {"bmp-cut", cut(bmp, bmp.size() / 2)},
      {"text", {'n', 'o', 'p', 'e'}},
  };
  for (const auto& [entry, bytes] : screens) base.WriteFile(entry + "/s.jpg", bytes);

  const auto verdicts = [&](const state::OutputNeeds& needs) {
    app.s.Needs = needs;
    app.s.StepCounter = 0;
    Load();
    std::map<std::string, bool> unreadable;
    for (size_t i = 0; i < screens.size(); ++i) {
      Step();
      unreadable[app.s.FolderList.Current()] =
          app.s.Record.entries.back().evidence.screen_unreadable;
    }
    return unreadable;
  };
  const auto full = verdicts({});
  const auto lean =
      verdicts({.screen_pictures = false, .screen_verdicts = true, .track_pictures = false});
  EXPECT_EQ(lean, full);
  // The table holds both kinds, or it would prove nothing.
  EXPECT_FALSE(full.at("jpeg"));
  EXPECT_TRUE(full.at("jpeg-cut-in-scan"));
}

}  // namespace
}  // namespace hl::testing
