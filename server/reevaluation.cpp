#include "server/reevaluation.h"

#include <filesystem>
#include <span>
#include <system_error>

#include "evaluation/decision.h"
#include "run/competition_run.h"
#include "run/saved_evaluation.h"
#include "server/access_token.h"
#include "server/decision_reason.h"
#include "server/evaluated_verdicts.h"
#include "server/verdict_changes.h"
#include "toolkit/files/file_slots.h"
#include "toolkit/files/sha256.h"

namespace hl::server {
namespace {

using Json = nlohmann::ordered_json;

// The folder under the state's reports/ of the preview under way: its
// report and chart, and the proposed file it reads.
constexpr const char* kPreviewReports = "preview";

std::span<const uint8_t> BytesOf(const std::string& text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

std::string JsonText(const Json& json) {
  return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

Json HashJson(const std::optional<std::string>& hash) { return hash ? Json(*hash) : Json(); }

Json TextHash(const std::optional<std::string>& text) {
  return text ? Json(files::Sha256Text(files::Sha256(BytesOf(*text)))) : Json();
}

ReevaluationAnswer Refusal(unsigned status, std::string message) {
  return {.status = status, .message = std::move(message)};
}

ReevaluationAnswer NoPreview(const std::string& id) {
  return Refusal(404, "there is no preview '" + id + "': it was applied, discarded or forgotten");
}

}  // namespace

Reevaluations::Reevaluations(const StateFolders& folders, std::string evaluation_file,
                             VersionStore& store, LiveResults& live, EvaluationEdits& edits,
                             Clock clock)
    : folders_(folders),
      evaluation_file_(std::move(evaluation_file)),
      store_(store),
      live_(live),
      edits_(edits),
      clock_(std::move(clock)) {}

std::variant<std::shared_ptr<Evaluated>, ReevaluationAnswer> Reevaluations::Evaluate(
    const std::optional<std::string>& text) {
  run::RunPlan plan = live_.Plan(kPreviewReports);
  std::error_code ec;
  std::filesystem::create_directories(plan.report_dir, ec);
  if (text) {
    plan.evaluation_file = plan.report_dir + "proposed.toml";
    if (!files::ReplaceFileAtomically(plan.evaluation_file, BytesOf(*text),
                                      files::Durability::kAtomicOnly))
      return Refusal(500, "the proposal could not be written under the state folder");
  }
  if (auto saved = run::WithSavedEvaluation(plan); !saved) {
    if (text) return Refusal(400, "the proposed evaluation: " + saved.error().what);
    return Refusal(409, "the evaluation file cannot be read: " + saved.error().Describe());
  }
  const run::EvaluatedCompetition run = run::EvaluateCompetition(plan, VerdictNeeds(plan));
  if (text) std::filesystem::remove(plan.evaluation_file, ec);
  if (!run.Ranked()) return Refusal(400, "the competition cannot be evaluated: " + *run.stopped);
  return VerdictsOf(run.record, {});
}

ReevaluationAnswer Reevaluations::Preview(const std::string& actor,
                                          const std::optional<std::string>& proposal) {
  if (proposal && evaluation_file_.empty())
    return Refusal(409, "the server runs with --no-evaluation: a proposed file could not be kept");
  if (proposal && proposal->size() > kLargestProposal)
    return Refusal(413, "the proposed evaluation is larger than " +
                            std::to_string(kLargestProposal >> 20) + " MiB");
  std::unique_lock previewing(previewing_, std::try_to_lock);
  if (!previewing.owns_lock())
    return Refusal(503, "another re-evaluation is being previewed: try again in a few seconds");
  Proposal made{.id = NewToken().value_or(""),
                .text = proposal,
                .file_hash = EvaluationFileHash(evaluation_file_),
                .changes = "",
                .changed = 0};
  if (made.id.empty()) return Refusal(500, "the system gave no random bytes for the id");
  auto before = live_.Latest();
  if (!before) before = live_.EvaluateNow();
  auto after = Evaluate(proposal);
  if (auto* refused = std::get_if<ReevaluationAnswer>(&after)) return *refused;
  const Json changes =
      VerdictChanges(before ? *before : Evaluated{}, *std::get<std::shared_ptr<Evaluated>>(after));
  made.changes = JsonText(changes);
  made.changed = changes.size();
  const Json summary = {
      {"id", made.id}, {"evaluation", TextHash(proposal)}, {"changes", made.changed}};
  if (auto added = Record(actor, "reevaluate-previewed", HashJson(made.file_hash), summary, "");
      !added)
    return Refusal(500, "the preview is not in the ledger: " + added.error().Describe());
  ReevaluationAnswer answer{
      .status = 200, .message = "", .body = {{"id", made.id}, {"changes", changes}}};
  Keep(std::move(made));
  return answer;
}

ReevaluationAnswer Reevaluations::Apply(const std::string& actor, const std::string& id,
                                        const std::string& reason) {
  if (auto problem = ReasonProblem(reason)) return Refusal(400, *problem);
  auto proposal = Take(id);
  if (!proposal) return NoPreview(id);
  std::optional<std::string> written_hash;
  const auto refused = edits_.OwnWrite([&]() -> std::optional<ReevaluationAnswer> {
    if (EvaluationFileHash(evaluation_file_) != proposal->file_hash)
      return Refusal(409,
                     "the evaluation file changed since this preview was made, so the preview "
                     "is stale: preview again");
    if (proposal->text && !files::ReplaceFileAtomically(evaluation_file_, BytesOf(*proposal->text)))
      return Refusal(500, "the evaluation file could not be written; it is as it was");
    written_hash = EvaluationFileHash(evaluation_file_);
    return std::nullopt;
  });
  if (refused) {
    Keep(std::move(*proposal));
    return *refused;
  }
  live_.Refresh();
  const Json applied = {{"id", id},
                        {"evaluation", HashJson(written_hash)},
                        {"changes", ChangesInBrief(Json::parse(proposal->changes))}};
  if (auto added = Record(actor, "reevaluate", HashJson(proposal->file_hash), applied, reason);
      !added)
    return Refusal(
        500, "the re-evaluation is applied, but not in the ledger: " + added.error().Describe());
  const size_t changed = proposal->changed;
  return {.status = 200,
          .message = "the re-evaluation is applied: " + std::to_string(changed) +
                     (changed == 1 ? " entry changes" : " entries change")};
}

ReevaluationAnswer Reevaluations::Discard(const std::string& actor, const std::string& id,
                                          const std::string& reason) {
  if (!reason.empty()) {
    if (auto problem = ReasonProblem(reason)) return Refusal(400, *problem);
  }
  auto proposal = Take(id);
  if (!proposal) return NoPreview(id);
  if (auto added = Record(actor, "reevaluate-discarded", nullptr, {{"id", id}}, reason); !added)
    return Refusal(500,
                   "the preview is discarded, but not in the ledger: " + added.error().Describe());
  return {.status = 200, .message = "the preview is discarded; nothing changed"};
}

std::optional<Json> Reevaluations::Shown(const std::string& id) const {
  std::lock_guard lock(mutex_);
  for (const Proposal& proposal : proposals_) {
    if (proposal.id == id)
      return Json{{"id", id},
                  {"evaluation", proposal.text ? Json(*proposal.text) : Json()},
                  {"changes", Json::parse(proposal.changes)}};
  }
  return std::nullopt;
}

std::optional<Reevaluations::Proposal> Reevaluations::Take(const std::string& id) {
  std::lock_guard lock(mutex_);
  for (auto it = proposals_.begin(); it != proposals_.end(); ++it) {
    if (it->id == id) {
      Proposal taken = std::move(*it);
      proposals_.erase(it);
      return taken;
    }
  }
  return std::nullopt;
}

void Reevaluations::Keep(Proposal proposal) {
  std::lock_guard lock(mutex_);
  proposals_.push_back(std::move(proposal));
  if (proposals_.size() > kKept) proposals_.pop_front();
}

Result<int64_t> Reevaluations::Record(const std::string& actor, const std::string& action,
                                      Json old_value, Json new_value, const std::string& reason) {
  return store_.AddToLedger({.seq = 0,
                             .at = evaluation::DecidedText(clock_()),
                             .actor = actor,
                             .entry = "",
                             .version = std::nullopt,
                             .action = action,
                             .old_value = std::move(old_value),
                             .new_value = std::move(new_value),
                             .reason = reason});
}

}  // namespace hl::server
