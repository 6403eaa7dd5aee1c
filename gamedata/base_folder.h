#pragma once
#include "state/state.h"
#include "toolkit/ui/ui.h"

namespace hl::gamedata {

// "Load": asks for the base folder, logs its car files, collects the entry
// folders and reads the last car file into CarArea.
void ScanBaseFolder(state::AppState& s, ui::Ui& ui);

}  // namespace hl::gamedata
