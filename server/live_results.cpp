#include "server/live_results.h"

#include <filesystem>
#include <system_error>

#include "publish/results_json.h"
#include "ranking/record_ranking.h"
#include "record/rules.h"
#include "run/competition_run.h"
#include "run/entry_run.h"
#include "run/output_needs.h"
#include "run/saved_evaluation.h"
#include "server/entrant_pages.h"
#include "server/evaluated_verdicts.h"
#include "server/upload_verdict.h"
#include "server/webhook_notifier.h"

namespace hl::server {
namespace {

namespace fs = std::filesystem;

// The folders under the state's reports/ of the two kinds of run, which
// run at the same time.
constexpr const char* kVerdictReports = "verdicts";
constexpr const char* kPageReports = "page";

// The place of the entry at `index`; null without a time.
nlohmann::ordered_json PlaceOf(const record::CompetitionRecord& competition, size_t index) {
  for (const ranking::RankedEntry& ranked : ranking::RankRecord(competition)) {
    if (ranked.entry == index) return PlaceJson(ranked);
  }
  return nullptr;
}

// The verdict of the entry at `index` of the entries evaluated alone, as a
// full run gives it.
std::shared_ptr<const EntryVerdict> VerdictAt(const record::CompetitionRecord& alone, size_t index,
                                              const run::RunPlan& plan,
                                              std::vector<std::string> log) {
  auto verdict = std::make_shared<EntryVerdict>();
  verdict->verdict = publish::EntryJson(FinishedAsAFullRun(alone, index, plan));
  verdict->place = PlaceOf(alone, index);
  verdict->log = std::move(log);
  return verdict;
}

void RemoveOlderPages(const std::string& pages, int64_t keep_from) {
  std::error_code ec;
  for (const auto& item : fs::directory_iterator(pages, ec)) {
    const std::string name = item.path().filename().string();
    if (name.rfind("run-", 0) != 0) continue;
    const int64_t number = std::strtoll(name.c_str() + 4, nullptr, 10);
    if (number < keep_from) fs::remove_all(item.path(), ec);
  }
}

}  // namespace

LiveResults::LiveResults(const StateFolders& folders, ClosingRules& rules,
                         WebhookNotifier* notifier)
    : folders_(folders),
      rules_(rules),
      notifier_(notifier),
      // A burst of uploads shares one page, which is still fresh within 2 s.
      pages_([this] { BuildPage(); }, std::chrono::milliseconds(250)),
      verdicts_([this] { EvaluateVerdicts(); }),
      watch_([this] { WatchRules(); }) {}

LiveResults::~LiveResults() { Stop(); }

void LiveResults::Start() {
  RemoveOlderPages(folders_.Pages(), INT64_MAX);
  std::error_code ec;
  for (const char* reports : {kVerdictReports, kPageReports})
    fs::create_directories(folders_.Reports() + reports, ec);
  pages_.Start();
  verdicts_.Start();
  watch_.Start();
  // One run at start gives both the page and the verdicts; the page is
  // built again when uploads close (which may make it final).
  pages_.Request();
  RebuildAtClosing();
  watch_.RequestAt(Clock::now() + std::chrono::seconds(1));
}

void LiveResults::Stop() {
  watch_.Stop();
  verdicts_.Stop();
  pages_.Stop();
}

std::shared_ptr<const Evaluated> LiveResults::EvaluateNow() {
  verdicts_.RequestAndWait();
  return Latest();
}

std::shared_ptr<const Evaluated> LiveResults::Latest() const {
  std::lock_guard lock(mutex_);
  return latest_;
}

std::string LiveResults::PageFolder() const {
  std::lock_guard lock(mutex_);
  return page_folder_;
}

run::RunPlan LiveResults::Plan(const std::string& reports) const {
  run::RunPlan plan;
  plan.base_dir = folders_.Base();
  plan.report_dir = folders_.Reports() + reports + "/";
  plan.evaluation_file = rules_.FileForRuns();
  plan.publication.folder_by_name = true;
  return plan;
}

void LiveResults::RebuildAtClosing() {
  const auto closes = rules_.Now().closes;
  if (closes && Clock::to_time_t(Clock::now()) < closes->utc_seconds)
    pages_.RequestAt(Clock::from_time_t(closes->utc_seconds));
}

// A changed file may bring other penalties, a period or closing rules: the
// verdicts and the page are evaluated again with it.
void LiveResults::WatchRules() {
  if (rules_.Refresh()) {
    pages_.Request();
    RebuildAtClosing();
  }
  watch_.RequestAt(Clock::now() + std::chrono::seconds(1));
}

void LiveResults::TakeFullRun(const run::EvaluatedCompetition& run, int64_t uploads_before) {
  if (!run.Ranked()) return;
  auto evaluated = VerdictsOf(run.record, run.entry_logs);
  auto alone = std::make_unique<record::CompetitionRecord>(AsEvaluatedAlone(run.record));
  std::lock_guard lock(mutex_);
  if (uploads_merged_ != uploads_before) return;
  latest_ = std::move(evaluated);
  alone_ = std::move(alone);
}

// Told as the page shows it, after the upload that brought it was answered.
// This is the one place where a freeze will keep a new first place untold.
void LiveResults::TellFirstPlace(const record::CompetitionRecord& competition) const {
  if (notifier_ == nullptr) return;
  const auto ranked = ranking::RankRecord(competition);
  if (ranked.empty() || ranked.front().time >= record::kNoTime) return;
  notifier_->FirstPlace(competition.entries[ranked.front().entry].folder, ranked.front().time);
}

void LiveResults::EvaluateVerdicts() {
  const run::RunPlan plan = Plan(kVerdictReports);
  const int64_t uploads_before = [this] {
    std::lock_guard lock(mutex_);
    return uploads_merged_;
  }();
  TakeFullRun(run::EvaluateCompetition(plan, VerdictNeeds(plan)), uploads_before);
  pages_.Request();
}

std::shared_ptr<const Evaluated> LiveResults::EvaluateUpload(const std::string& entry,
                                                             int64_t version,
                                                             const std::string& version_folder) {
  const auto plan = run::WithSavedEvaluation(Plan(kVerdictReports));
  // The car file of the last full run; nullopt before the first.
  const auto full_run_car = [this]() -> std::optional<std::optional<std::string>> {
    std::lock_guard lock(mutex_);
    if (!alone_) return std::nullopt;
    return alone_->car_file;
  };
  // The other entries come from the first full run, which may be under way.
  if (!full_run_car()) EvaluateNow();
  const auto car_file = full_run_car().value_or(std::nullopt);
  // With an evaluation file that cannot be read, or no car, the whole folder
  // is evaluated as a batch run would.
  if (!plan || !car_file) return EvaluateNow();
  run::EntryOptions options;
  options.period = plan->period;
  if (const auto penalty = plan->penalties.find(entry); penalty != plan->penalties.end())
    options.penalty = penalty->second;
  auto evaluated = run::EvaluateEntry(plan->base_dir + *car_file, version_folder, options);
  if (!evaluated) return EvaluateNow();

  std::shared_ptr<const Evaluated> verdicts;
  {
    std::lock_guard lock(mutex_);
    int64_t& newest = versions_merged_[entry];
    if (version < newest) {
      // An older version finishing after a newer one is answered among the
      // others but leaves the latest as it is.
      record::CompetitionRecord others = *alone_;
      const size_t index = PutEntry(others, std::move(evaluated->record));
      auto answer = std::make_shared<Evaluated>(*latest_);
      (*answer)[entry] = VerdictAt(others, index, *plan, std::move(evaluated->log_lines));
      return answer;
    }
    newest = version;
    const size_t index = PutEntry(*alone_, std::move(evaluated->record));
    auto merged = std::make_shared<Evaluated>(*latest_);
    (*merged)[entry] = VerdictAt(*alone_, index, *plan, std::move(evaluated->log_lines));
    ++uploads_merged_;
    latest_ = merged;
    verdicts = std::move(merged);
  }
  pages_.Request();
  return verdicts;
}

void LiveResults::BuildPage() {
  const int64_t number = ++pages_built_;
  const std::string folder = folders_.Pages() + "run-" + std::to_string(number) + "/";
  std::error_code ec;
  fs::remove_all(folder, ec);
  // The new page starts as links to the files of the one published, so the
  // export re-makes only what changed; it replaces each file by a new one,
  // and the published page keeps its own.
  if (const std::string published = PageFolder(); !published.empty()) {
    fs::copy(published, folder, fs::copy_options::recursive | fs::copy_options::create_hard_links,
             ec);
    if (ec) fs::remove_all(folder, ec);
  }
  run::RunPlan plan = Plan(kPageReports);
  plan.export_dir = folder;
  const evaluation::Closing closing = rules_.Now();
  const bool closed =
      closing.closes && Clock::to_time_t(Clock::now()) >= closing.closes->utc_seconds;
  plan.publication.standing =
      closed && closing.final ? publish::Standing::kFinal : publish::Standing::kProvisional;
  // Every start builds the page afresh, so what a crash leaves of it is never
  // read: its files need not wait for the disk.
  plan.export_durability = files::Durability::kAtomicOnly;
  if (closing.closes) plan.publication.closing = ClosingSentence(*closing.closes, closed);
  plan.publication.upload_link = "upload";  // relative: the page may be served below a path
  const int64_t uploads_before = [this] {
    std::lock_guard lock(mutex_);
    return uploads_merged_;
  }();
  const run::EvaluatedCompetition run = run::EvaluateCompetition(plan, run::NeedsOf(plan));
  if (!run.Ranked()) return;
  TakeFullRun(run, uploads_before);
  {
    std::lock_guard lock(mutex_);
    page_folder_ = folder;
  }
  TellFirstPlace(run.record);
  if (closed && notifier_ != nullptr)
    notifier_->Notify(
        ClosedEvent(evaluation::Rfc3339Utc(Clock::to_time_t(Clock::now())), *closing.closes));
  // The page before this one may still be read by a slow client, which
  // holds its files open; older ones go.
  RemoveOlderPages(folders_.Pages(), number - 1);
}

}  // namespace hl::server
