#pragma once
// The window's event loop with the organiser's decisions kept: the main
// window's loop, with "Strafe" handled by Decisions and every step reported
// to it.

#include <functional>

#include "app/decisions/decisions.h"
#include "state/state.h"
#include "toolkit/ui/ui.h"

namespace hl::decisions {

// `changed` runs after every event, for the evidence window to follow.
void RunWindowLoop(state::AppState& s, ui::Ui& ui, Decisions& decisions,
                   const std::function<void()>& changed);

// One event of that loop; true when the loop ends with it.
bool HandleWindowEvent(state::AppState& s, ui::Ui& ui, Decisions& decisions, int event);

}  // namespace hl::decisions
