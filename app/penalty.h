#pragma once
#include <string_view>

#include "state/state.h"
#include "toolkit/ui/ui.h"

namespace hl::app {

// A penalty time as typed: a whole number of 1 to 5 digits.
bool IsPenaltyTime(std::string_view text);

// "Strafe": the entry's result line gets the typed penalty time in place of
// its time and " ##" after the driver's name. Any other text changes nothing
// in the log and is refused in the progress view.
void ApplyPenalty(state::AppState& s, ui::Ui& ui);

}  // namespace hl::app
