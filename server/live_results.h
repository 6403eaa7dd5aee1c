#pragma once
// The evaluation behind the server's answers and its live page. The base
// folder is evaluated as `--batch --json` would for the verdicts, and after
// each such run as `--batch --export` would into a fresh page folder under
// the state, switched to when it is complete, so a reader never sees half a
// page. Uploads that arrive while a run is under way share the next run.
// A clean stop keeps the last page for the next start to export into, which
// then makes again only the pictures of files changed meanwhile.

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "evaluation/closing_time.h"
#include "publish/publication.h"
#include "record/competition_record.h"
#include "run/competition_run.h"
#include "run/run_plan.h"
#include "server/background_priority.h"
#include "server/closing_rules.h"
#include "server/entry_commit.h"
#include "server/run_queue.h"

namespace hl::server {

class WebhookNotifier;

// Held as text: thousands of entries' verdicts as JSON values would weigh
// several times as much.
struct EntryVerdict {
  std::string verdict;           // the entry as results.json describes it, as compact JSON
  std::optional<int64_t> place;  // its provisional place; nullopt without a time
  std::vector<std::string> log;  // its log lines as the window shows them

  nlohmann::ordered_json VerdictJson() const;
  nlohmann::ordered_json PlaceJson() const;  // null without a place
};

// One finished evaluation, by entry folder. An upload replaces its entry's
// verdict and shares the others'.
using Evaluated = std::map<std::string, std::shared_ptr<const EntryVerdict>>;

class LiveResults {
 public:
  // The page is provisional until `closes` has passed with the results
  // `final`; it states the closing time and is rebuilt when uploads close
  // and whenever the evaluation file changes.
  // A new first place and the close are told to `notifier`, when given.
  // What goes wrong off the requests is told to `log`.
  LiveResults(const StateFolders& folders, ClosingRules& rules, std::ostream& log,
              WebhookNotifier* notifier = nullptr);
  ~LiveResults();
  LiveResults(const LiveResults&) = delete;
  LiveResults& operator=(const LiveResults&) = delete;

  void Start();
  void Stop();

  // Evaluates the folder as it is now and hands back the verdicts.
  std::shared_ptr<const Evaluated> EvaluateNow();
  // The verdicts once version `version` of the entry, whose files are
  // `version_folder` (named as the entry), is evaluated: the entry alone,
  // among the others as the last evaluation left them (the others' verdicts and places stay
  // those of the last full run until the page's next run). An older version
  // finishing after a newer one is answered but leaves the latest as it is.
  std::shared_ptr<const Evaluated> EvaluateUpload(const std::string& entry, int64_t version,
                                                  const std::string& version_folder);
  // The last finished evaluation; nullptr before the first.
  std::shared_ptr<const Evaluated> Latest() const;
  // The folder of the page now published, ending with "/"; "" before the first.
  std::string PageFolder() const;
  evaluation::Closing Closing() const { return rules_.Now(); }
  // Evaluates the folder again and rebuilds the page; does not wait.
  void Refresh() { pages_.Request(); }
  // The plan of the server's runs; `reports` is the folder of the run's
  // report and chart under the state.
  run::RunPlan Plan(const std::string& reports) const;

 private:
  using Clock = std::chrono::system_clock;

  // Looks at the evaluation file about once a second.
  void WatchRules();
  void RebuildAtClosing();
  void EvaluateVerdicts();
  void BuildPage();
  // Takes a full run's record as the latest, unless an upload was merged
  // since the run began (`uploads_before`): a later run will bring it.
  void TakeFullRun(const run::EvaluatedCompetition& run, int64_t uploads_before);
  void TellFirstPlace(const record::CompetitionRecord& competition) const;
  void WriteLeftOverChart(const results::LeftOverChart& chart);

  const StateFolders& folders_;
  ClosingRules& rules_;
  std::ostream& log_;  // each line written with one call, as the server's other threads do
  WebhookNotifier* const notifier_;
  mutable std::mutex mutex_;
  std::shared_ptr<const Evaluated> latest_;
  // The entries as evaluated alone, behind `latest_`; null before the first
  // run. Changed in place, under `mutex_` only.
  std::unique_ptr<record::CompetitionRecord> alone_;
  int64_t uploads_merged_ = 0;
  std::map<std::string, int64_t> versions_merged_;  // the newest merged of each entry
  std::string page_folder_;
  int64_t page_published_ = 0;  // the number of page_folder_; 0 before the first
  int64_t pages_built_ = 0;
  // The page a clean stop kept, set at start before the page runs begin and
  // only read by them: the first page is built into a copy of it, which is
  // never served before it is built again.
  std::string kept_page_;
  // The page runs' work, in an arena of its own whose worker threads give
  // way to the requests.
  tbb::task_arena page_work_;
  BackgroundWorkers page_workers_{page_work_};
  RunQueue pages_;
  RunQueue verdicts_;
  RunQueue watch_;
};

}  // namespace hl::server
