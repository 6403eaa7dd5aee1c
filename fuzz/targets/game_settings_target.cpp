#include <span>
#include <string>

#include "fuzz/targets/fuzz_app.h"
#include "fuzz/targets/fuzz_targets.h"
#include "fuzz/targets/log_lines.h"
#include "gamedata/stats_panel.h"
#include "toolkit/files/data_buffer.h"

namespace hl::fuzzing {

void FuzzGameSettings(const uint8_t* data, size_t size) {
  FuzzApp& fuzz = FuzzApp::Fresh();
  state::AppState& s = fuzz.State();
  ui::HeadlessUi& ui = fuzz.Ui();

  s.StepCounter = 1;
  s.EntryDir = fuzz.Folder() + "entry/";
  s.GameFileName = "fuzz.gam";
  fuzz.WriteFile("entry/fuzz.gam", std::span<const uint8_t>(data, size));

  gamedata::ShowGameSettings(s, ui);

  const bool fits = static_cast<int64_t>(size) <= files::DataBuffer::kFileRegionSize;
  Require(!fits || s.DataSize == static_cast<int32_t>(size), "a game file is read whole");
  bool settings_logged = false;
  const std::string log = ui.ReadText(state::id::kLogBox);
  for (std::string_view line : SplitCrLf(log)) {
    settings_logged = settings_logged || line.starts_with("T/C/F/D/S:  ");
  }
  Require(settings_logged == fits, "the settings are logged exactly when the file was read");
  const raster::Image* panel = s.Images.Get(state::id::kStatsImage);
  Require(!fits || (panel && panel->Width() == 480 && panel->Height() == 136),
          "a read game file gets its 480 x 136 panel");
}

}  // namespace hl::fuzzing
