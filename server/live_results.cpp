#include "server/live_results.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <span>
#include <string_view>
#include <system_error>
#include <utility>

#include "publish/results_json.h"
#include "ranking/record_ranking.h"
#include "record/rules.h"
#include "run/competition_run.h"
#include "run/entry_run.h"
#include "run/output_needs.h"
#include "run/saved_evaluation.h"
#include "server/entrant_pages.h"
#include "server/evaluated_verdicts.h"
#include "server/request_checks.h"
#include "server/upload_verdict.h"
#include "server/webhook_notifier.h"
#include "toolkit/files/file_slots.h"

namespace hl::server {
namespace {

namespace fs = std::filesystem;

// The folders under the state's reports/ of the two kinds of run, which
// run at the same time.
constexpr const char* kVerdictReports = "verdicts";
constexpr const char* kPageReports = "page";

// The place of the entry at `index`; nullopt without a time.
std::optional<int64_t> PlaceAt(const record::CompetitionRecord& competition, size_t index) {
  for (const ranking::RankedEntry& ranked : ranking::RankRecord(competition)) {
    if (ranked.entry == index) return PlaceOf(ranked);
  }
  return std::nullopt;
}

// The verdict of the entry at `index` of the entries evaluated alone, as a
// full run gives it.
std::shared_ptr<const EntryVerdict> VerdictAt(const record::CompetitionRecord& alone, size_t index,
                                              const run::RunPlan& plan,
                                              std::vector<std::string> log) {
  auto verdict = std::make_shared<EntryVerdict>();
  verdict->verdict = VerdictText(FinishedAsAFullRun(alone, index, plan));
  verdict->place = PlaceAt(alone, index);
  verdict->log = std::move(log);
  return verdict;
}

// Names the page folder that a clean stop left complete and on disk.
constexpr const char* kKeptPageMark = "kept";
constexpr const char* kPagePrefix = "run-";

std::string PageName(int64_t number) { return kPagePrefix + std::to_string(number); }

// The number of a page folder's name; nullopt for anything else.
std::optional<int64_t> PageNumber(std::string_view name) {
  if (!name.starts_with(kPagePrefix)) return std::nullopt;
  name.remove_prefix(std::string_view(kPagePrefix).size());
  if (name.empty() || name.size() > 18 ||
      !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  return std::stoll(std::string(name));
}

// Removes the page folders whose number `remove` says.
void RemovePages(const std::string& pages, const std::function<bool(int64_t)>& remove) {
  std::error_code ec;
  for (const auto& item : fs::directory_iterator(pages, ec)) {
    const auto number = PageNumber(item.path().filename().string());
    if (number && remove(*number)) fs::remove_all(item.path(), ec);
  }
}

// True once the folder (with `whole_file_system`, everything written to its
// file system) is on disk.
bool FlushFolder(const std::string& folder, bool whole_file_system) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool flushed = (whole_file_system ? syncfs(fd) : fsync(fd)) == 0;
  close(fd);
  return flushed;
}

// The number of the page a clean stop kept, its mark gone: a crash from here
// on leaves none, since a start changes the page folders.
std::optional<int64_t> TakeKeptPage(const std::string& pages) {
  const std::string mark = pages + kKeptPageMark;
  std::string text(32, '\0');
  std::ifstream(mark).read(text.data(), static_cast<std::streamsize>(text.size()));
  const std::string name = text.substr(0, text.find_first_of(std::string_view("\n\0", 2)));
  // Without its removal on disk, a crash could leave the mark naming a
  // folder that is changed or made again.
  if (unlink(mark.c_str()) != 0 || !FlushFolder(pages, false)) return std::nullopt;
  const auto number = PageNumber(name);
  std::error_code ec;
  if (!number || !fs::is_regular_file(pages + name + "/index.html", ec)) return std::nullopt;
  return number;
}

// Marks the page `number` as kept once its files are on disk: the next
// start builds its page into a copy of it, so unchanged pictures are not
// made again.
void KeepPage(const std::string& pages, int64_t number) {
  // Unflushed or unmarked, the page is built afresh at the next start, as
  // after a crash.
  if (!FlushFolder(pages, true)) return;
  const std::string name = PageName(number) + "\n";
  (void)files::ReplaceFileAtomically(
      pages + kKeptPageMark, std::span(reinterpret_cast<const uint8_t*>(name.data()), name.size()));
}

}  // namespace

nlohmann::ordered_json EntryVerdict::VerdictJson() const {
  return nlohmann::ordered_json::parse(verdict);
}

nlohmann::ordered_json EntryVerdict::PlaceJson() const {
  return place ? nlohmann::ordered_json(*place) : nlohmann::ordered_json();
}

LiveResults::LiveResults(const StateFolders& folders, ClosingRules& rules, std::ostream& log,
                         WebhookNotifier* notifier)
    : folders_(folders),
      rules_(rules),
      log_(log),
      notifier_(notifier),
      // A burst of uploads shares one page, which is still fresh within 2 s.
      pages_([this] { BuildPage(); }, std::chrono::milliseconds(250)),
      verdicts_([this] { EvaluateVerdicts(); }),
      watch_([this] { WatchRules(); }) {}

LiveResults::~LiveResults() { Stop(); }

void LiveResults::Start() {
  const std::optional<int64_t> kept = TakeKeptPage(folders_.Pages());
  RemovePages(folders_.Pages(), [&kept](int64_t number) { return number != kept; });
  if (kept) {
    pages_built_ = *kept;
    kept_page_ = folders_.Pages() + PageName(*kept) + "/";
  }
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
  const int64_t published = [this] {
    std::lock_guard lock(mutex_);
    return std::exchange(page_published_, 0);
  }();
  if (published > 0) KeepPage(folders_.Pages(), published);
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
// This is the one place where a freeze keeps a new first place untold.
void LiveResults::TellFirstPlace(const record::CompetitionRecord& competition) const {
  const auto freeze = rules_.Now().freeze;
  if (notifier_ == nullptr || (freeze && Clock::to_time_t(Clock::now()) >= freeze->utc_seconds))
    return;
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
  RunInBackground();
  const int64_t number = ++pages_built_;
  const std::string folder = folders_.Pages() + PageName(number) + "/";
  std::error_code ec;
  fs::remove_all(folder, ec);
  // The new page starts as links to the files of the one published (or, at
  // start, of the one kept), so the export re-makes only what changed; it
  // replaces each file by a new one, and the earlier page keeps its own.
  const std::string published = PageFolder();
  if (const std::string& earlier = published.empty() ? kept_page_ : published; !earlier.empty()) {
    fs::copy(earlier, folder, fs::copy_options::recursive | fs::copy_options::create_hard_links,
             ec);
    if (ec) fs::remove_all(folder, ec);
  }
  run::RunPlan plan = Plan(kPageReports);
  plan.export_dir = folder;
  plan.tall_chart_later = true;
  const evaluation::Closing closing = rules_.Now();
  const bool closed =
      closing.closes && Clock::to_time_t(Clock::now()) >= closing.closes->utc_seconds;
  plan.publication.standing =
      closed && closing.final ? publish::Standing::kFinal : publish::Standing::kProvisional;
  // A page is built on from the next start only once a clean stop has
  // flushed it; after a crash the page is built afresh, so its files need
  // not wait for the disk one by one.
  plan.export_durability = files::Durability::kAtomicOnly;
  if (closing.closes) plan.publication.closing = ClosingSentence(*closing.closes, closed);
  plan.publication.upload_link = "upload";  // relative: the page may be served below a path
  const int64_t uploads_before = [this] {
    std::lock_guard lock(mutex_);
    return uploads_merged_;
  }();
  const run::EvaluatedCompetition run =
      page_work_.execute([&plan] { return run::EvaluateCompetition(plan, run::NeedsOf(plan)); });
  if (!run.Ranked()) return;
  TakeFullRun(run, uploads_before);
  {
    std::lock_guard lock(mutex_);
    page_folder_ = folder;
    page_published_ = number;
  }
  TellFirstPlace(run.record);
  if (closed && notifier_ != nullptr)
    notifier_->Notify(
        ClosedEvent(evaluation::Rfc3339Utc(Clock::to_time_t(Clock::now())), *closing.closes));
  // The page before this one may still be read by a slow client, which
  // holds its files open; older ones go.
  RemovePages(folders_.Pages(), [number](int64_t older) { return older < number - 1; });
  if (run.left_over_chart) WriteLeftOverChart(*run.left_over_chart);
}

// A chart too tall for the page takes seconds to compress: it is written
// once its page is out, and given up for the next page's when an upload
// or a stop comes first.
void LiveResults::WriteLeftOverChart(const results::LeftOverChart& chart) {
  if (chart.Write([this] { return !pages_.RunAwaited(); }) || pages_.RunAwaited()) return;
  log_ << ("hotlap-eval: could not write the chart " + LogSafe(chart.Path()) + "\n");
}

}  // namespace hl::server
