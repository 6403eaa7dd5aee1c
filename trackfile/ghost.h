#pragma once
#include "state/state.h"
#include "toolkit/ui/ui.h"

namespace hl::trackfile {

// The ghost trail of the slot-1 lap, or "kein Ghost!" when slot 1 has no time.
void DrawGhost(state::AppState& s, ui::Ui& ui);
// The ghost step's log line alone: "kein Ghost!" when slot 1 has no time
// (then true). Runs in place of DrawGhost when no picture is wanted.
bool LogMissingGhost(state::AppState& s, ui::Ui& ui);

}  // namespace hl::trackfile
