#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "state/state.h"

namespace hl::results {

// Where the report or chart goes: BaseDir + TrackBaseName + suffix. None when
// no base folder was chosen, so a cancelled run never drops files into the
// working folder.
std::optional<std::string> ResultPath(const state::AppState& s, std::string_view suffix);

}  // namespace hl::results
