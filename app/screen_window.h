#pragma once
#include "state/state.h"
#include "toolkit/ui/ui.h"

namespace hl::app {

// The entry's screen picture at full size in a bare window until it is
// clicked, Escape is pressed or a close is requested.
void ShowScreen(state::AppState& s, ui::Ui& ui);

}  // namespace hl::app
