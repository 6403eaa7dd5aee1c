#include "server/review_desk.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>

#include "evaluation/decision_writer.h"
#include "evaluation/evaluation_file.h"
#include "record/rules.h"
#include "server/access_token.h"
#include "server/decision_reason.h"
#include "server/evaluation_edits.h"
#include "server/live_results.h"
#include "server/version_json.h"
#include "server/version_store.h"
#include "server/webhook_notifier.h"

namespace hl::server {
namespace {

using Json = nlohmann::ordered_json;

const evaluation::SavedPenalty* PenaltyOf(const evaluation::EvaluationFile& file,
                                          const std::string& entry) {
  const auto found = std::find_if(file.penalties.begin(), file.penalties.end(),
                                  [&](const auto& penalty) { return penalty.entry == entry; });
  return found == file.penalties.end() ? nullptr : &*found;
}

Json TimeJson(const std::string& time) { return time.empty() ? Json() : Json(std::stoll(time)); }

std::optional<int64_t> NewestVersionOf(VersionStore& store, const std::string& entry) {
  const std::vector<VersionRow> rows = store.Versions(entry);
  return rows.empty() ? std::nullopt : std::optional(rows.back().version);
}

// What the ledger says has been looked at: a version marked so, or any
// decision since the entry's latest upload.
struct Marks {
  int64_t last_upload = 0;    // seq
  int64_t last_decision = 0;  // seq
  std::set<int64_t> looked_at;

  bool LookedAt(int64_t latest) const {
    return (latest > 0 && looked_at.contains(latest)) || last_decision > last_upload;
  }
};

std::map<std::string, Marks> MarksOf(const std::vector<LedgerRecord>& records) {
  std::map<std::string, Marks> marks;
  for (const LedgerRecord& record : records) {
    Marks& of = marks[record.entry];
    if (record.action == "upload") {
      of.last_upload = record.seq;
    } else if (record.action == "looked-at") {
      if (record.version) of.looked_at.insert(*record.version);
    } else {
      of.last_decision = record.seq;
    }
  }
  return marks;
}

std::vector<std::string> FindingCodes(const Json& verdict) {
  std::vector<std::string> codes;
  if (!verdict.contains("findings") || !verdict["findings"].is_array()) return codes;
  for (const Json& finding : verdict["findings"]) {
    if (finding.contains("code") && finding["code"].is_string())
      codes.push_back(finding["code"].get<std::string>());
  }
  return codes;
}

// The penalty the verdict was evaluated with, when the file cannot tell.
std::optional<std::string> VerdictPenalty(const Json& verdict) {
  const auto penalty = verdict.find("penalty");
  if (penalty == verdict.end() || !penalty->is_object() || !penalty->contains("time"))
    return std::nullopt;
  return (*penalty)["time"].dump();
}

Json DecisionJson(const LedgerRecord& record) {
  // A withdrawal names the time it took back.
  const Json& time = record.action == "withdraw" ? record.old_value : record.new_value;
  return {{"at", record.at},
          {"actor", record.actor},
          {"action", record.action},
          {"version", record.version ? Json(*record.version) : Json()},
          {"time", time},
          {"reason", record.reason}};
}

WebhookEvent DecisionEventOf(const LedgerRecord& record) {
  const bool withdrawn = record.action == "withdraw";
  const Json& time = withdrawn ? record.old_value : record.new_value;
  return DecisionEvent(
      record.at, record.entry, withdrawn ? DecisionAction::kWithdraw : DecisionAction::kPenalty,
      time.is_number_integer() ? std::optional<int64_t>(time.get<int64_t>()) : std::nullopt,
      record.reason);
}

}  // namespace

ReviewDesk::ReviewDesk(std::string base_dir, std::string evaluation_file, VersionStore& store,
                       LiveResults& live, Clock clock, WebhookNotifier* notifier,
                       EvaluationEdits* edits)
    : base_dir_(std::move(base_dir)),
      evaluation_file_(std::move(evaluation_file)),
      store_(store),
      live_(live),
      clock_(std::move(clock)),
      notifier_(notifier),
      edits_(edits) {}

bool ReviewDesk::IsEntry(const std::string& entry) const {
  std::error_code ec;
  return record::IsEntryFolderName(entry) && std::filesystem::is_directory(base_dir_ + entry, ec);
}

DeskAnswer ReviewDesk::Penalise(const std::string& actor, const std::string& entry,
                                const std::string& time, const std::string& reason) {
  if (!IsEntry(entry)) return {404, "there is no entry '" + entry + "'"};
  if (!record::IsPenaltyTime(time))
    return {400, "a penalty is a whole number of hundredths of a second, 1 to 5 digits"};
  if (auto problem = ReasonProblem(reason)) return {400, *problem};
  return Decide(actor, entry, {.time = time, .reason = reason, .decided = std::nullopt});
}

DeskAnswer ReviewDesk::Withdraw(const std::string& actor, const std::string& entry,
                                const std::string& reason) {
  if (!IsEntry(entry)) return {404, "there is no entry '" + entry + "'"};
  if (auto problem = ReasonProblem(reason)) return {400, *problem};
  return Decide(actor, entry,
                {.time = "", .reason = reason, .decided = std::nullopt, .withdrawn = true});
}

DeskAnswer ReviewDesk::Decide(const std::string& actor, const std::string& entry,
                              evaluation::Decision decision) {
  if (evaluation_file_.empty())
    return {409, "the server runs with --no-evaluation, so no decision can be kept"};
  std::lock_guard lock(deciding_);
  const auto saved = evaluation::ReadEvaluationFile(evaluation_file_, base_dir_, true);
  if (!saved)
    return {409, "the evaluation file cannot be read, so it is left as it is: " +
                     saved.error().Describe()};
  const evaluation::SavedPenalty* before = PenaltyOf(*saved, entry);
  if (decision.withdrawn && before == nullptr)
    return {409, "'" + entry + "' has no penalty to withdraw"};
  const std::string at = evaluation::DecidedText(clock_());
  decision.decided = at;
  decision.by = actor;
  const auto record_decision = [&] {
    return evaluation::RecordDecision(evaluation_file_, entry, decision);
  };
  if (auto written = edits_ ? edits_->OwnWrite(record_decision) : record_decision(); !written)
    return {500, "the decision was not kept: " + written.error().Describe()};
  LedgerRecord record{.seq = 0,
                      .at = at,
                      .actor = actor,
                      .entry = entry,
                      .version = NewestVersionOf(store_, entry),
                      .action = decision.withdrawn ? "withdraw" : "penalty",
                      .old_value = before ? TimeJson(before->time) : Json(),
                      .new_value = TimeJson(decision.time),
                      .reason = decision.reason};
  if (auto added = store_.AddToLedger(record); !added)
    return {500, "the decision is in the evaluation file, but not in the ledger: " +
                     added.error().Describe()};
  if (notifier_ != nullptr) notifier_->Notify(DecisionEventOf(record));
  // The live results read the changed file within a second, as after an
  // edit by hand; nothing here waits for their evaluation.
  return {200, decision.withdrawn ? "the penalty of '" + entry + "' is withdrawn"
                                  : "'" + entry + "' has a penalty of " + decision.time};
}

DeskAnswer ReviewDesk::LookedAt(const std::string& actor, const std::string& entry,
                                int64_t version) {
  if (!IsEntry(entry)) return {404, "there is no entry '" + entry + "'"};
  if (!store_.HasVersion(entry, version))
    return {400, "'" + entry + "' has no version " + std::to_string(version)};
  const LedgerRecord record{.seq = 0,
                            .at = evaluation::DecidedText(clock_()),
                            .actor = actor,
                            .entry = entry,
                            .version = version,
                            .action = "looked-at",
                            .old_value = Json(),
                            .new_value = Json(),
                            .reason = ""};
  if (auto added = store_.AddToLedger(record); !added)
    return {500, "not marked: " + added.error().Describe()};
  return {200, "version " + std::to_string(version) + " of '" + entry + "' is looked at"};
}

std::vector<QueueRow> ReviewDesk::Queue() {
  const auto latest = live_.Latest();
  if (!latest) return {};
  std::optional<evaluation::EvaluationFile> saved;
  if (!evaluation_file_.empty()) {
    if (auto read = evaluation::ReadEvaluationFile(evaluation_file_, base_dir_, true))
      saved = std::move(*read);
  }
  const auto records = store_.LedgerSince(0);
  const auto marks = MarksOf(records ? *records : std::vector<LedgerRecord>{});
  const auto versions = store_.LatestVersions();
  std::vector<QueueRow> rows;
  for (const auto& [entry, evaluated] : *latest) {
    const Json verdict = evaluated->VerdictJson();
    QueueRow row;
    row.entry = entry;
    if (const auto latest_version = versions.find(entry); latest_version != versions.end()) {
      row.version = latest_version->second.version;
      row.received = latest_version->second.received;
    }
    row.time = verdict.contains("time") ? verdict["time"] : Json();
    row.place = evaluated->PlaceJson();
    row.findings = FindingCodes(verdict);
    if (saved) {
      if (const auto* penalty = PenaltyOf(*saved, entry)) row.penalty = penalty->time;
    } else {
      row.penalty = VerdictPenalty(verdict);
    }
    const auto marked = marks.find(entry);
    row.looked_at = marked != marks.end() && marked->second.LookedAt(row.version);
    rows.push_back(std::move(row));
  }
  std::stable_sort(rows.begin(), rows.end(), [](const QueueRow& a, const QueueRow& b) {
    return a.looked_at != b.looked_at ? !a.looked_at : a.entry < b.entry;
  });
  return rows;
}

std::optional<Json> ReviewDesk::EntryFacts(const std::string& entry) {
  if (!IsEntry(entry)) return std::nullopt;
  Json verdict;
  if (const auto latest = live_.Latest()) {
    if (const auto found = latest->find(entry); found != latest->end())
      verdict = found->second->VerdictJson();
  }
  Json decisions = Json::array();
  if (const auto records = store_.LedgerOf(entry)) {
    for (const LedgerRecord& record : *records) {
      if (record.action != "upload") decisions.push_back(DecisionJson(record));
    }
  }
  return Json{{"entry", entry},
              {"verdict", std::move(verdict)},
              {"versions", VersionsJson(store_.Versions(entry))},
              {"decisions", std::move(decisions)}};
}

Json ReviewDesk::EntrantDecisions(const std::string& entry) {
  Json decisions = Json::array();
  if (const auto records = store_.LedgerOf(entry)) {
    for (const LedgerRecord& record : *records) {
      if (record.action != "penalty" && record.action != "withdraw") continue;
      Json decision = DecisionJson(record);
      decision.erase("actor");
      decision.erase("version");
      decisions.push_back(std::move(decision));
    }
  }
  return decisions;
}

Result<std::vector<LedgerRecord>> ReviewDesk::LedgerSince(int64_t seq) {
  return store_.LedgerSince(seq);
}

std::optional<std::string> ReviewDesk::OrganiserOfToken(std::string_view token) {
  return store_.OrganiserOfToken(TokenHash(token));
}

}  // namespace hl::server
