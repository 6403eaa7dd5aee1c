#pragma once
#include "state/state.h"
#include "toolkit/ui/ui.h"

namespace hl::app {

// "Copy": the log's lines up to the first empty one, joined, to the
// clipboard; the log's byte count into PenaltyField.
void CopyResults(state::AppState& s, ui::Ui& ui);

}  // namespace hl::app
