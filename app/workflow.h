#pragma once
#include "state/state.h"
#include "toolkit/ui/ui.h"

namespace hl::app {

// Waits for events and dispatches them until a close request or "End".
void RunEventLoop(state::AppState& s, ui::Ui& ui);
// Dispatches one event of that loop; true when the loop ends with it.
bool HandleEvent(state::AppState& s, ui::Ui& ui, int event);
// "Strafe", "Google" or "Copy", by the workflow's state.
void ActionButtonPressed(state::AppState& s, ui::Ui& ui);

}  // namespace hl::app
