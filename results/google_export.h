#pragma once
#include "state/state.h"
#include "toolkit/ui/ui.h"

namespace hl::results {

// The Google chart parameters from the template and the ranking, into
// GoogleText and LogBox.
void ExportGoogleChart(state::AppState& s, ui::Ui& ui);

}  // namespace hl::results
