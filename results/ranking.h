#pragma once
#include "state/state.h"
#include "toolkit/ui/ui.h"

namespace hl::results {

// Collects the result lines of ReportText into RankingList, puts the
// numbered ranking in front of ReportText, shows it and writes the report.
void RankResults(state::AppState& s, ui::Ui& ui);

}  // namespace hl::results
