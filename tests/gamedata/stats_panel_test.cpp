#include <gtest/gtest.h>

#include <array>
#include <optional>

#include "gamedata/stats_panel.h"
#include "tests/gamedata/gamedata_fixture.h"
#include "tools/competition/game_file_writer.h"

namespace hl::testing {
namespace {

using Lines = std::vector<std::string>;
using Span = std::pair<int, int>;
constexpr Span kNone{-1, -1};
constexpr Span kWholeRow{0, 479};

// Settings in the order tyres, consumption, fuel mass, damage, speed.
competition::GameFileContent Game(std::vector<std::string> names, uint8_t index = 0,
                                  std::array<uint8_t, 5> settings = {100, 100, 60, 0, 100},
                                  std::optional<int32_t> length = std::nullopt) {
  competition::GameFileContent content;
  content.track_names = std::move(names);
  content.track_index = index;
  content.tyres = settings[0];
  content.consumption = settings[1];
  content.fuel_mass = settings[2];
  content.damage = settings[3];
  content.speed = settings[4];
  content.total_length = length;
  return content;
}

class StatsPanelTest : public GameDataTest {
 protected:
  // Runs the panel on one game file, as the last step of an entry would.
  Lines ShowGame(const competition::GameFileContent& content,
                 const std::string& name = "race.gam") {
    app.s.EntryDir = base.MakeDir("entry");
    base.WriteFile("entry/" + name, competition::BuildGameFile(content));
    app.s.GameFileName = name;
    app.ui.ClearText(state::id::kLogBox);
    gamedata::ShowGameSettings(app.s, app.ui);
    return app.LogLines();
  }
  const raster::Image& Panel() { return *app.s.Images.Get(state::id::kStatsImage); }
  // First and last column of a panel row holding the palette colour.
  Span Extent(int y, int palette_index) {
    Span found = kNone;
    for (int x = 0; x < Panel().Width(); ++x) {
      if (Panel().At(x, y) != app.s.Palette[palette_index]) continue;
      if (found.first < 0) found.first = x;
      found.second = x;
    }
    return found;
  }
};

TEST_F(StatsPanelTest, LogsTrackNameAndDrawsEachSettingInItsRow) {
  EXPECT_EQ(ShowGame(Game({"First", "Second", "  Padded  "}, 2, {100, 50, 60, 0, 127}), "R.GAM"),
            (Lines{" ", "R.GAM", "Trackname in gam: Padded", "T/C/F/D/S:  100 / 50 / 60 / 0 / 127",
                   " "}));
  EXPECT_EQ(app.s.FilePath, app.s.EntryDir + "R.GAM");
  EXPECT_EQ(app.ui.ShownImageSize(state::id::kStatsView)->height, 136);
  // Fuel mass is drawn in row 3 and damage in row 4, unlike their order in the file.
  const std::vector<Span> fills{{150, 399}, {150, 274}, {150, 224}, kNone, {150, 307}};
  for (int row = 1; row <= 5; ++row) EXPECT_EQ(Extent(row * 20 + 17, 17), fills[row - 1]) << row;
}

TEST_F(StatsPanelTest, TrackNameAndSettingsStayInsideTheGameFile) {
  struct Case {
    const char* what;
    competition::GameFileContent content;
    std::string name, stats;
  };
  const std::string full39(39, 'N');
  const std::string normal = "100 / 100 / 60 / 0 / 100";
  const std::vector<Case> cases{
      {"39-byte name", Game({full39 + "tail"}), full39, normal},
      {"Windows-1252 name", Game({"Caf\xE9"}), "Caf\xC3\xA9", normal},
      {"index past the end", Game({"A"}, 3), "", normal},
      {"negative index", Game({"A"}, 200), "", normal},
      {"negative settings", Game({}, 0, {200, 127, 128, 255, 0}), "", "-56 / 127 / -128 / -1 / 0"},
      {"cut after consumption", Game({}, 0, {7, 8, 60, 0, 100}, 15), "", "7 / 8 / 0 / 0 / 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // Stale bytes of an earlier, longer file must not show through.
    std::fill_n(app.s.Data->FileRegion().begin(), 5000, 'X');
    const Lines log = ShowGame(c.content);
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[2], "Trackname in gam: " + c.name);
    EXPECT_EQ(log[3], "T/C/F/D/S:  " + c.stats);
  }
}

TEST_F(StatsPanelTest, MissingGameFileShowsAnEmptyPanel) {
  app.s.GameFileName = "nix";
  gamedata::ShowGameSettings(app.s, app.ui);
  EXPECT_EQ(app.LogLines(), Lines{"Game fehlt"});
  for (const int y : {0, 30, 135}) EXPECT_EQ(Extent(y, 18), kWholeRow);
  EXPECT_EQ(app.ui.ShownImageSize(state::id::kStatsView)->height, 136);
}

TEST_F(StatsPanelTest, UnusableGameFileKeepsThePreviousPanel) {
  ShowGame(Game({}));
  const std::vector<uint8_t> before = Panel().Pixels();
  const auto too_large = Game({}, 0, {1, 1, 1, 1, 1}, files::DataBuffer::kFileRegionSize + 1);
  EXPECT_EQ(ShowGame(too_large, "big.gam"), Lines{"Game zu gross: big.gam"});
  MakeFifo("entry/pipe.gam");
  app.s.GameFileName = "pipe.gam";
  app.ui.ClearText(state::id::kLogBox);
  gamedata::ShowGameSettings(app.s, app.ui);
  EXPECT_TRUE(app.LogLines().empty());
  EXPECT_EQ(Panel().Pixels(), before);
}

TEST_F(StatsPanelTest, BarFillWidths) {
  struct Case {
    int value, maximum;
    Span fill;
  };
  for (const Case& c :
       {Case{100, 100, {150, 399}}, Case{60, 200, {150, 224}}, Case{127, 200, {150, 307}},
        Case{0, 100, kNone}, Case{120, 100, {150, 449}}, Case{-56, 100, kNone}}) {
    SCOPED_TRACE(std::to_string(c.value) + "/" + std::to_string(c.maximum));
    gamedata::DrawStatBar(app.s, 0, 0, 0, "", "");
    gamedata::DrawStatBar(app.s, 3, c.value, c.maximum, "", "");
    for (const int y : {60, 77}) {
      EXPECT_EQ(Extent(y, 17), c.fill);
      const int background_start = std::max(c.fill.second + 1, 150);
      const Span background = background_start > 399 ? kNone : Span{background_start, 399};
      EXPECT_EQ(Extent(y, 16), background);
    }
    EXPECT_EQ(Extent(59, 18), kWholeRow);
    EXPECT_EQ(Extent(78, 18), kWholeRow);
  }
}

TEST_F(StatsPanelTest, ValueTextIsCentredOnTheBar) {
  ASSERT_TRUE(app.s.LabelFont.has_value());
  for (const std::string value_text : {"-56 %", "100 %", "60 kg"}) {
    SCOPED_TRACE(value_text);
    gamedata::DrawStatBar(app.s, 0, 0, 0, "", "");
    gamedata::DrawStatBar(app.s, 1, 0, 100, "Tyres:", value_text);
    const int t = app.s.LabelFont->TextWidth(value_text);
    const int left = 150 + 125 - t / 2;
    Span label{480, -1}, value{480, -1};
    for (int y = 20; y < 40; ++y) {
      for (int x = 0; x < 480; ++x) {
        if (Panel().At(x, y) != app.s.Palette[13]) continue;
        Span& extent = x < 150 ? label : value;
        extent = {std::min(extent.first, x), std::max(extent.second, x)};
      }
    }
    // Glyphs may sit a side bearing inside their advance width.
    EXPECT_LE(10, label.first);
    EXPECT_LE(label.first, 12);
    EXPECT_LE(left, value.first);
    EXPECT_LE(value.first, left + 2);
    EXPECT_LE(left + t - 4, value.second);
    EXPECT_LE(value.second, left + t - 1);
  }
}

}  // namespace
}  // namespace hl::testing
