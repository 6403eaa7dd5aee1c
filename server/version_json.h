#pragma once
// An entry's versions as the server's JSON answers give them, alike for the
// entrant and the organiser.

#include <vector>

#include <nlohmann/json.hpp>

#include "server/version_store.h"

namespace hl::server {

// [{"version", "received", "files": [{"field", "name", "size", "sha256"}],
//   "time", "car_ok"}], oldest first.
nlohmann::ordered_json VersionsJson(const std::vector<VersionRow>& rows);

}  // namespace hl::server
