#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "state/state.h"

namespace hl::results {

// The folder the report and chart go to: ReportDir, or else BaseDir.
std::string ResultFolder(const state::AppState& s);

// Where the report or chart goes: ResultFolder + TrackBaseName + suffix. None when
// no base folder was chosen, so a cancelled run never drops files into the
// working folder, or when the results are withheld.
std::optional<std::string> ResultPath(const state::AppState& s, std::string_view suffix);

// True when the run asked for no report or chart without an accepted track
// (ResultsNeedATrack) and no entry's track was accepted.
bool ResultsWithheld(const state::AppState& s);

}  // namespace hl::results
