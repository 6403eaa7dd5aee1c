#pragma once
// Every entry's verdict and place from a full run, as the live results and
// a previewed re-evaluation alike take them, so the two compare entry by
// entry.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ranking/record_ranking.h"
#include "record/competition_record.h"
#include "run/run_plan.h"
#include "server/live_results.h"
#include "state/output_needs.h"

namespace hl::server {

// The place of a ranked entry; nullopt without a time.
std::optional<int64_t> PlaceOf(const ranking::RankedEntry& ranked);

// The entry as results.json describes it, as compact JSON.
std::string VerdictText(const record::EntryRecord& entry);

// Every entry's verdict, place and log (by entry, folder order).
std::shared_ptr<Evaluated> VerdictsOf(const record::CompetitionRecord& competition,
                                      std::vector<std::vector<std::string>> logs);

// What a run that gives verdicts needs: the entries as results.json
// describes them, findings and all.
state::OutputNeeds VerdictNeeds(const run::RunPlan& plan);

}  // namespace hl::server
