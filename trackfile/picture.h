#pragma once
#include "state/state.h"
#include "toolkit/ui/ui.h"

namespace hl::trackfile {

// Image 1: the run-length track picture and the caption strip with the best time.
void DrawTrackPicture(state::AppState& s, ui::Ui& ui);
// What the picture step settles besides the picture: TrackBaseName, which
// names the report and chart. Runs in its place when no picture is wanted.
void TakeTrackBaseName(state::AppState& s);
// Marks the grid cells below GridThreshold.
void DrawGrid(state::AppState& s, ui::Ui& ui);

}  // namespace hl::trackfile
