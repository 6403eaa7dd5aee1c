#pragma once
#include <string>

#include "state/state.h"
#include "toolkit/ui/ui.h"

namespace hl::workflow {

// "Strafe": the entry's result line gets `penalty` in place of its time and
// " ##" after the driver's name. Any other text changes nothing in the log
// and is refused in the progress view.
void ApplyPenalty(state::AppState& s, ui::Ui& ui, const std::string& penalty);
// The window's "Strafe": the time typed into the penalty field.
void ApplyPenalty(state::AppState& s, ui::Ui& ui);

}  // namespace hl::workflow
