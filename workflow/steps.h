#pragma once
// The Load/Next/End workflow as steps over the state: the window runs one
// per press of the step button, a batch run calls them in a loop.

#include "state/state.h"
#include "toolkit/ui/ui.h"

namespace hl::workflow {

// What one press of the step button does: "Load" (the base folder is asked
// for through the facade), "Next", the ranking after the last entry, "End".
void TakeStep(state::AppState& s, ui::Ui& ui);
// The steps every "Load" and "Next" runs for one entry.
void RunEntryPipeline(state::AppState& s, ui::Ui& ui);

}  // namespace hl::workflow
