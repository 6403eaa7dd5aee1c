#include "server/frozen_page.h"

#include <ctime>
#include <filesystem>
#include <system_error>

#include "run/competition_run.h"
#include "run/output_needs.h"
#include "server/entrant_pages.h"
#include "server/request_checks.h"

namespace hl::server {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::system_clock;

int64_t NowSeconds() { return static_cast<int64_t>(std::time(nullptr)); }

std::string KeptFolder(const StateFolders& folders) { return folders.State() + "frozen/"; }

// The kept base folder has the base folder's own name, as the page names it.
std::string KeptBase(const StateFolders& folders) {
  return KeptFolder(folders) + "base/" +
         fs::path(folders.Base()).parent_path().filename().string() + "/";
}

std::string KeptEvaluation(const StateFolders& folders) {
  return KeptFolder(folders) + "evaluation.toml";
}

}  // namespace

FrozenPage::FrozenPage(const StateFolders& folders, ClosingRules& rules, VersionStore& store,
                       std::ostream& log)
    : folders_(folders), rules_(rules), store_(store), log_(log), queue_([this] { Build(); }) {}

FrozenPage::~FrozenPage() { Stop(); }

void FrozenPage::Start() {
  std::error_code ec;
  fs::remove_all(folders_.State() + "frozen-pages/", ec);
  queue_.Start();
  queue_.Request();
}

void FrozenPage::Stop() { queue_.Stop(); }

std::string FrozenPage::Folder() const {
  std::lock_guard lock(mutex_);
  return folder_;
}

void FrozenPage::Build() {
  const evaluation::Closing closing = rules_.Now();
  const int64_t now = NowSeconds();
  if (!closing.freeze || now < closing.freeze->utc_seconds) {
    queue_.RequestAt(Clock::now() + std::chrono::seconds(1));
    return;
  }
  if (auto kept = KeepInputs(closing); !kept) {
    log_ << ("hotlap-eval: the freeze cannot keep the standings: " +
             LogSafe(kept.error().Describe()) + "; trying again in a minute\n")
         << std::flush;
    queue_.RequestAt(Clock::now() + std::chrono::minutes(1));
    return;
  }
  RecordFreeze(closing);
  Export(closing);
  if (closing.closes && now < closing.closes->utc_seconds)
    queue_.RequestAt(Clock::from_time_t(closing.closes->utc_seconds));
}

// Once: later starts find the inputs kept and use them as they are.
Result<void> FrozenPage::KeepInputs(const evaluation::Closing& closing) {
  const std::string kept = KeptFolder(folders_);
  std::error_code ec;
  if (fs::exists(kept, ec)) return {};
  const std::string partial = folders_.State() + "frozen.partial/";
  fs::remove_all(partial, ec);
  const std::string base = partial + KeptBase(folders_).substr(kept.size());
  fs::create_directories(base, ec);
  fs::copy(folders_.Base(), base, fs::copy_options::recursive | fs::copy_options::create_hard_links,
           ec);
  if (ec) return Fail({"cannot keep the base folder: " + ec.message(), base, std::nullopt});
  if (const std::string file = rules_.FileForRuns(); !file.empty()) {
    fs::copy_file(file, partial + "evaluation.toml", ec);
    if (ec) return Fail({"cannot keep the evaluation file: " + ec.message(), file, std::nullopt});
  }
  fs::rename(partial, kept, ec);
  if (ec) return Fail({"cannot put the kept standings in place", kept, std::nullopt});
  log_ << ("the freeze of " + evaluation::CompetitionText(*closing.freeze) +
           " has passed: the public sees the standings as they were then\n")
       << std::flush;
  return {};
}

void FrozenPage::RecordFreeze(const evaluation::Closing& closing) {
  const auto records = store_.LedgerSince(0);
  if (!records) return;
  for (const LedgerRecord& record : *records) {
    if (record.action == "freeze") return;
  }
  LedgerRecord record;
  record.at = evaluation::Rfc3339Utc(NowSeconds());
  record.actor = "server";
  record.action = "freeze";
  record.new_value = evaluation::Rfc3339Utc(closing.freeze->utc_seconds);
  record.reason = "freeze reached";
  if (auto added = store_.AddToLedger(record); !added) {
    log_ << ("hotlap-eval: the freeze is not in the ledger: " + LogSafe(added.error().Describe()) +
             "\n")
         << std::flush;
  }
}

void FrozenPage::Export(const evaluation::Closing& closing) {
  const int64_t number = ++built_;
  const std::string pages = folders_.State() + "frozen-pages/";
  const std::string folder = pages + "run-" + std::to_string(number) + "/";
  std::error_code ec;
  fs::remove_all(folder, ec);
  fs::create_directories(folders_.Reports() + "frozen/", ec);
  run::RunPlan plan;
  plan.base_dir = KeptBase(folders_);
  plan.report_dir = folders_.Reports() + "frozen/";
  plan.export_dir = folder;
  if (fs::exists(KeptEvaluation(folders_), ec)) plan.evaluation_file = KeptEvaluation(folders_);
  plan.export_durability = files::Durability::kAtomicOnly;
  plan.publication.folder_by_name = true;
  plan.publication.standing = publish::Standing::kFrozen;
  plan.publication.frozen_since = evaluation::CompetitionText(*closing.freeze);
  if (closing.closes) {
    const bool closed = NowSeconds() >= closing.closes->utc_seconds;
    plan.publication.closing = ClosingSentence(*closing.closes, closed);
    if (!closed) plan.publication.upload_link = "upload";
  }
  const run::EvaluatedCompetition run = run::EvaluateCompetition(plan, run::NeedsOf(plan));
  if (!run.Ranked()) return;
  {
    std::lock_guard lock(mutex_);
    folder_ = folder;
  }
  // The page before may still be read by a slow client; older ones go.
  for (const auto& item : fs::directory_iterator(pages, ec)) {
    const std::string name = item.path().filename().string();
    if (name.rfind("run-", 0) == 0 && std::strtoll(name.c_str() + 4, nullptr, 10) < number - 1)
      fs::remove_all(item.path(), ec);
  }
}

}  // namespace hl::server
