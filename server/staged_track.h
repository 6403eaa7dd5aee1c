#pragma once
// The staged track file judged by the evaluation's own header check before
// the upload becomes a version: a file that is no track file, or one cut
// short, never replaces the entry's current lap.

#include <optional>
#include <string>
#include <vector>

#include "server/version_store.h"
#include "toolkit/text/error.h"

namespace hl::server {

// Why the track file among `files` in `staging` may not become a version,
// in words the entrant can act on; nullopt when it may or none was sent. Fails when
// the staged file cannot be read.
[[nodiscard]] Result<std::optional<std::string>> TrackFileRefusal(
    const std::string& staging, const std::vector<StoredFile>& files);

}  // namespace hl::server
