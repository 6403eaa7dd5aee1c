#pragma once
#include "state/state.h"
#include "toolkit/ui/ui.h"

namespace hl::results {

// The bar chart of the ranked times as image 1, shown and saved as PNG;
// fixes ChartMin .. ChartMax for the Google export.
void DrawChart(state::AppState& s, ui::Ui& ui);

}  // namespace hl::results
