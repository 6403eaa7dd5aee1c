#pragma once
#include "state/state.h"
#include "toolkit/ui/ui.h"

namespace hl::app {

// "Strafe": the entry's result line gets the typed penalty time in place of
// its time and " ##" after the driver's name.
void ApplyPenalty(state::AppState& s, ui::Ui& ui);

}  // namespace hl::app
