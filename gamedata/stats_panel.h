#pragma once
#include <string>

#include "state/state.h"
#include "toolkit/ui/ui.h"

namespace hl::gamedata {

// Reads the entry's game file, logs the selected track and the five race
// settings and draws them as bars in StatsView.
void ShowGameSettings(state::AppState& s, ui::Ui& ui);
// Row 0 re-creates the 480 x 136 panel (image 21); rows 1-5 draw one bar.
void DrawStatBar(state::AppState& s, int row, int value, int maximum, const std::string& label,
                 const std::string& value_text);

}  // namespace hl::gamedata
