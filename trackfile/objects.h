#pragma once
#include "state/state.h"
#include "toolkit/ui/ui.h"

namespace hl::trackfile {

// Dots, squares and filled rotated rectangles of the track objects.
void DrawTrackObjects(state::AppState& s, ui::Ui& ui);

}  // namespace hl::trackfile
