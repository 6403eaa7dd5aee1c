#pragma once
#include "state/state.h"
#include "toolkit/ui/ui.h"

namespace hl::gamedata {

// Opens an entry's step: progress, the track, game and screen files found by
// their last three characters, the track file read to offset 0, the screen
// picture scaled into ScreenView.
void FindEntryFiles(state::AppState& s, ui::Ui& ui);

}  // namespace hl::gamedata
