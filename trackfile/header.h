#pragma once
#include "state/state.h"
#include "toolkit/ui/ui.h"

namespace hl::trackfile {

// Validates the loaded track file, locates its blocks, logs its six header
// lines (among them the result line "1.: time driver") and checks slot 1's
// car against the reference car file. Sets TrackFileInvalid.
void DecodeTrackHeader(state::AppState& s, ui::Ui& ui);

}  // namespace hl::trackfile
