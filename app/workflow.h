#pragma once
#include "app/state/state.h"
#include "toolkit/ui/ui.h"

namespace hl::app {

// Waits for events and dispatches them until a close request or "End".
void RunEventLoop(AppState& s, ui::Ui& ui);
// "Load", "Next", finishing, "End".
void StepButtonPressed(AppState& s, ui::Ui& ui);
// "Strafe", "Google" or "Copy", by the workflow's state.
void ActionButtonPressed(AppState& s, ui::Ui& ui);
// The steps every "Load" and "Next" runs for one entry.
void RunEntryPipeline(AppState& s, ui::Ui& ui);

}  // namespace hl::app
