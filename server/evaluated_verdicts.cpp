#include "server/evaluated_verdicts.h"

#include "publish/results_json.h"
#include "record/rules.h"
#include "run/output_needs.h"

namespace hl::server {

std::optional<int64_t> PlaceOf(const ranking::RankedEntry& ranked) {
  return ranked.time < record::kNoTime ? std::optional<int64_t>(ranked.place) : std::nullopt;
}

std::string VerdictText(const record::EntryRecord& entry) {
  return publish::EntryJson(entry).dump(-1, ' ', false,
                                        nlohmann::ordered_json::error_handler_t::replace);
}

std::shared_ptr<Evaluated> VerdictsOf(const record::CompetitionRecord& competition,
                                      std::vector<std::vector<std::string>> logs) {
  std::vector<EntryVerdict> verdicts(competition.entries.size());
  for (size_t i = 0; i < verdicts.size(); ++i) {
    verdicts[i].verdict = VerdictText(competition.entries[i]);
    if (i < logs.size()) verdicts[i].log = std::move(logs[i]);
  }
  for (const ranking::RankedEntry& ranked : ranking::RankRecord(competition))
    verdicts[ranked.entry].place = PlaceOf(ranked);
  auto evaluated = std::make_shared<Evaluated>();
  for (size_t i = 0; i < verdicts.size(); ++i) {
    (*evaluated)[competition.entries[i].folder] =
        std::make_shared<const EntryVerdict>(std::move(verdicts[i]));
  }
  return evaluated;
}

state::OutputNeeds VerdictNeeds(const run::RunPlan& plan) {
  state::OutputNeeds needs = run::NeedsOf(plan);
  needs.screen_verdicts = true;
  needs.findings = true;
  return needs;
}

}  // namespace hl::server
