#include "gamedata/stats_panel.h"

#include <array>

#include "gamedata/data_file_reader.h"
#include "gamedata/game_file.h"
#include "toolkit/raster/draw.h"
#include "toolkit/text/text.h"

namespace hl::gamedata {

namespace {

constexpr int kLog = state::id::kLogBox;
constexpr int kPanelWidth = 480;
constexpr int kPanelHeight = 136;
constexpr int kRowHeight = 20;
constexpr int kLabelX = 10;
constexpr int kBarX = 150;
constexpr int kBarWidth = 250;
constexpr int kBarHeight = 18;

constexpr int kPanelColour = 18;
constexpr int kTextColour = 13;
constexpr int kBarColour = 16;
constexpr int kFillColour = 17;

struct Setting {
  int64_t offset;
  int row;
  int maximum;
  const char* label;
  const char* unit;
};

// In the order of the log line "T/C/F/D/S"; fuel mass is drawn in row 3
// although damage precedes it in the file.
constexpr std::array<Setting, 5> kSettings{{
    {kTyresOffset, 1, 100, "Tyres:", " %"},
    {kConsumptionOffset, 2, 100, "Consumption:", " %"},
    {kFuelMassOffset, 3, 200, "Fuelmass:", " kg"},
    {kDamageOffset, 4, 100, "Damage:", " %"},
    {kSpeedOffset, 5, 200, "Speed:", " %"},
}};

void ShowPanel(state::AppState& s, ui::Ui& ui) {
  if (const raster::Image* panel = s.Images.Get(state::id::kStatsImage)) {
    ui.ShowImage(state::id::kStatsView, panel);
  }
}

void DrawSettings(state::AppState& s, const files::ByteView& game) {
  for (size_t i = 0; i < kSettings.size(); ++i) {
    const Setting& setting = kSettings[i];
    const int value = GameSetting(game, setting.offset);
    const std::string shown = text::FormatInteger(value);
    s.StatsText += shown;
    if (i + 1 < kSettings.size()) s.StatsText += " / ";
    DrawStatBar(s, setting.row, value, setting.maximum, setting.label, shown + setting.unit);
  }
}

void RecordGameSettings(state::AppState& s, const files::ByteView& game) {
  record::EntryRecord* entry = s.Record.Current();
  if (entry == nullptr) return;
  entry->track_name = SelectedTrackName(game);
  entry->settings = record::RaceSettings{
      .tyres = GameSetting(game, kTyresOffset),
      .consumption = GameSetting(game, kConsumptionOffset),
      .fuel = GameSetting(game, kFuelMassOffset),
      .damage = GameSetting(game, kDamageOffset),
      .speed = GameSetting(game, kSpeedOffset),
  };
}

}  // namespace

void ShowGameSettings(state::AppState& s, ui::Ui& ui) {
  s.StatsText.clear();
  if (s.GameFileName == state::kMissingFile) {
    ui.AppendLine(kLog, "Game fehlt");
    DrawStatBar(s, 0, 0, 0, "clear", "");
    ShowPanel(s, ui);
    return;
  }
  s.FilePath = s.EntryDir + s.GameFileName;
  const DataFileRead read = ReadDataFile(s, s.FilePath);
  if (read == DataFileRead::TooLarge) ui.AppendLine(kLog, "Game zu gross: " + s.GameFileName);
  if (read != DataFileRead::Read) return;

  // Only the game file's own bytes count: what lies behind its end is the
  // rest of the track file, values the entrant never set.
  const files::ByteView game = s.LoadedFile();
  RecordGameSettings(s, game);
  ui.AppendLine(kLog, " ");
  ui.AppendLine(kLog, s.GameFileName);
  ui.AppendLine(kLog, "Trackname in gam: " + SelectedTrackName(game));
  DrawStatBar(s, 0, 0, 0, "", "");
  DrawSettings(s, game);
  ui.AppendLine(kLog, "T/C/F/D/S:  " + s.StatsText);
  ui.AppendLine(kLog, " ");
  ShowPanel(s, ui);
}

void DrawStatBar(state::AppState& s, int row, int value, int maximum, const std::string& label,
                 const std::string& value_text) {
  constexpr int number = state::id::kStatsImage;
  if (row == 0) {
    if (!s.Images.CreateImage(number, kPanelWidth, kPanelHeight)) return;
    raster::Box(*s.Images.Get(number), 0, 0, kPanelWidth, kPanelHeight, s.Palette[kPanelColour]);
    return;
  }
  raster::Image* panel = s.Images.Get(number);
  // The three numbers are 16-bit in the game's data; a zero maximum has no bar.
  const auto row16 = static_cast<int16_t>(row);
  const auto value16 = static_cast<int16_t>(value);
  const auto maximum16 = static_cast<int16_t>(maximum);
  if (panel == nullptr || maximum16 == 0) return;

  const int y = row16 * kRowHeight;
  const auto fill = static_cast<int16_t>(int32_t{value16} * kBarWidth / maximum16);
  if (s.LabelFont) {
    raster::DrawText(*panel, *s.LabelFont, kLabelX, y, label, s.Palette[kTextColour], std::nullopt);
  }
  raster::Box(*panel, kBarX, y, kBarWidth, kBarHeight, s.Palette[kBarColour]);
  raster::Box(*panel, kBarX, y, fill, kBarHeight, s.Palette[kFillColour]);
  if (s.LabelFont) {
    const int text_x = kBarX + kBarWidth / 2 - s.LabelFont->TextWidth(value_text) / 2;
    raster::DrawText(*panel, *s.LabelFont, text_x, y, value_text, s.Palette[kTextColour],
                     std::nullopt);
  }
}

}  // namespace hl::gamedata
