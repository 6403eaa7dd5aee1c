#pragma once
#include "app/state/state.h"
#include "toolkit/ui/ui.h"

namespace hl::trackfile {

// Dots, squares and filled rotated rectangles of the track objects.
void DrawTrackObjects(app::AppState& s, ui::Ui& ui);

}  // namespace hl::trackfile
