#pragma once
#include "state/state.h"
#include "toolkit/ui/ui.h"

namespace hl::trackfile {

// Image 1: the run-length track picture and the caption strip with the best time.
void DrawTrackPicture(state::AppState& s, ui::Ui& ui);
// Marks the grid cells below GridThreshold.
void DrawGrid(state::AppState& s, ui::Ui& ui);

}  // namespace hl::trackfile
