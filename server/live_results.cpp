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
#include "server/upload_verdict.h"

namespace hl::server {
namespace {

namespace fs = std::filesystem;

// Every entry's verdict and place; each entry's log is kept from `earlier`
// (a run of one entry brings only its own).
std::shared_ptr<Evaluated> VerdictsOf(const record::CompetitionRecord& competition,
                                      const Evaluated* earlier) {
  auto evaluated = std::make_shared<Evaluated>();
  for (const record::EntryRecord& entry : competition.entries) {
    EntryVerdict& verdict = (*evaluated)[entry.folder];
    verdict.verdict = publish::EntryJson(entry);
    if (!earlier) continue;
    if (const auto found = earlier->find(entry.folder); found != earlier->end())
      verdict.log = found->second.log;
  }
  for (const ranking::RankedEntry& ranked : ranking::RankRecord(competition)) {
    EntryVerdict& verdict = (*evaluated)[competition.entries[ranked.entry].folder];
    verdict.place = ranked.time < record::kNoTime ? nlohmann::ordered_json(ranked.place) : nullptr;
  }
  return evaluated;
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

LiveResults::LiveResults(const StateFolders& folders, std::string evaluation_file,
                         std::optional<evaluation::ClosingTime> closes, bool final)
    : folders_(folders),
      evaluation_file_(std::move(evaluation_file)),
      closes_(closes),
      final_(final),
      // A burst of uploads shares one page, which is still fresh within 2 s.
      pages_([this] { BuildPage(); }, std::chrono::milliseconds(250)),
      verdicts_([this] { EvaluateVerdicts(); }) {}

LiveResults::~LiveResults() { Stop(); }

void LiveResults::Start() {
  RemoveOlderPages(folders_.Pages(), INT64_MAX);
  pages_.Start();
  verdicts_.Start();
  // The page is built once at start, before any upload asks for it, and
  // again when uploads close (which may make it final).
  verdicts_.Request();
  if (closes_ && !ClosedNow()) pages_.RequestAt(Clock::from_time_t(closes_->utc_seconds));
}

void LiveResults::Stop() {
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

run::RunPlan LiveResults::Plan() const {
  run::RunPlan plan;
  plan.base_dir = folders_.Base();
  plan.evaluation_file = evaluation_file_;
  plan.publication.folder_by_name = true;
  return plan;
}

bool LiveResults::ClosedNow() const {
  return closes_ && Clock::to_time_t(Clock::now()) >= closes_->utc_seconds;
}

publish::Standing LiveResults::StandingNow() const {
  return ClosedNow() && final_ ? publish::Standing::kFinal : publish::Standing::kProvisional;
}

void LiveResults::TakeFullRun(const run::EvaluatedCompetition& run, int64_t uploads_before) {
  if (!run.Ranked()) return;
  auto evaluated = VerdictsOf(run.record, nullptr);
  for (size_t i = 0; i < run.record.entries.size() && i < run.entry_logs.size(); ++i)
    (*evaluated)[run.record.entries[i].folder].log = run.entry_logs[i];
  auto alone = std::make_shared<const record::CompetitionRecord>(AsEvaluatedAlone(run.record));
  std::lock_guard lock(mutex_);
  if (uploads_merged_ != uploads_before) return;
  latest_ = std::move(evaluated);
  alone_ = std::move(alone);
}

void LiveResults::EvaluateVerdicts() {
  const run::RunPlan plan = Plan();
  state::OutputNeeds needs = run::NeedsOf(plan);
  // A verdict is the entry as results.json describes it, findings and all.
  needs.screen_verdicts = true;
  needs.findings = true;
  const int64_t uploads_before = [this] {
    std::lock_guard lock(mutex_);
    return uploads_merged_;
  }();
  TakeFullRun(run::EvaluateCompetition(plan, needs), uploads_before);
  pages_.Request();
}

std::shared_ptr<const Evaluated> LiveResults::EvaluateUpload(const std::string& entry) {
  const auto plan = run::WithSavedEvaluation(Plan());
  std::shared_ptr<const record::CompetitionRecord> others;
  {
    std::lock_guard lock(mutex_);
    others = alone_;
  }
  // Before the first evaluation, or with an evaluation file that cannot be
  // read, the whole folder is evaluated as a batch run would.
  if (!plan || !others || !others->car_file) return EvaluateNow();
  run::EntryOptions options;
  options.period = plan->period;
  if (const auto penalty = plan->penalties.find(entry); penalty != plan->penalties.end())
    options.penalty = penalty->second;
  auto evaluated =
      run::EvaluateEntry(plan->base_dir + *others->car_file, plan->base_dir + entry, options);
  if (!evaluated) return EvaluateNow();

  std::shared_ptr<const Evaluated> verdicts;
  {
    std::lock_guard lock(mutex_);
    auto alone = std::make_shared<record::CompetitionRecord>(*alone_);
    PutEntry(*alone, std::move(evaluated->record));
    auto merged = VerdictsOf(FinishedAsAFullRun(*alone, *plan), latest_.get());
    (*merged)[entry].log = std::move(evaluated->log_lines);
    ++uploads_merged_;
    alone_ = std::move(alone);
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
  run::RunPlan plan = Plan();
  plan.export_dir = folder;
  plan.publication.standing = StandingNow();
  if (closes_) plan.publication.closing = ClosingSentence(*closes_, ClosedNow());
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
  // The page before this one may still be read by a slow client, which
  // holds its files open; older ones go.
  RemoveOlderPages(folders_.Pages(), number - 1);
}

}  // namespace hl::server
