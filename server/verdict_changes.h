#pragma once
// What a re-evaluation would change: the entries whose verdict (time,
// findings, penalty, anything results.json says of them) or place differ
// between two evaluations of the competition.

#include <nlohmann/json.hpp>

#include "server/live_results.h"

namespace hl::server {

// [{"entry", "old", "new"}] by entry name, where "old" and "new" are the
// entry as results.json describes it plus its "place"; null on the side
// where the entry is missing.
nlohmann::ordered_json VerdictChanges(const Evaluated& before, const Evaluated& after);

// The changes as the ledger keeps them, short enough to read: each side's
// time, place, penalty time and finding codes.
nlohmann::ordered_json ChangesInBrief(const nlohmann::ordered_json& changes);

}  // namespace hl::server
