#include "server/live_results.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

#include "app/batch/batch_mode.h"
#include "app/batch/batch_needs.h"
#include "publish/results_json.h"
#include "results/record_ranking.h"
#include "toolkit/files/file_slots.h"

namespace hl::server {
namespace {

namespace fs = std::filesystem;

constexpr int kNoTime = 6000;  // a ranked time of 6000 or more is no time
constexpr const char* kLogSeparator = "---------------------------------------------------";
constexpr const char* kProvisionalMarker = "<p class=\"provisional\">provisional</p>\n";

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::span<const uint8_t> Bytes(const std::string& text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

// The report's log, cut at the separator lines: block 0 is the car lines,
// block k + 1 the log of entry k.
std::vector<std::vector<std::string>> LogBlocks(const std::string& report) {
  std::vector<std::vector<std::string>> blocks(1);
  std::istringstream lines(report);
  std::string line;
  bool in_log = false;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind(kLogSeparator, 0) == 0) {
      in_log = true;
      blocks.emplace_back();
      continue;
    }
    if (in_log) blocks.back().push_back(line);
  }
  return blocks;
}

// The page and the JSON say that the results may still change.
void MarkProvisional(const std::string& folder) {
  std::string page = ReadWholeFile(folder + "index.html");
  const size_t body = page.find("<body>\n");
  if (body != std::string::npos) {
    page.insert(body + 7, kProvisionalMarker);
    files::ReplaceFileAtomically(folder + "index.html", Bytes(page));
  }
  auto json = nlohmann::ordered_json::parse(ReadWholeFile(folder + "results.json"), nullptr, false);
  if (json.is_object()) {
    json["provisional"] = true;
    files::ReplaceFileAtomically(folder + "results.json", Bytes(publish::JsonText(json)));
  }
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
                         std::function<bool()> provisional)
    : folders_(folders),
      evaluation_file_(std::move(evaluation_file)),
      provisional_(std::move(provisional)),
      pages_([this] { BuildPage(); }),
      verdicts_([this] { EvaluateVerdicts(); }) {}

LiveResults::~LiveResults() { Stop(); }

void LiveResults::Start() {
  RemoveOlderPages(folders_.Pages(), INT64_MAX);
  pages_.Start();
  verdicts_.Start();
  // The page is built once at start, before any upload asks for it.
  verdicts_.Request();
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

batch::BatchOptions LiveResults::RunOptions() const {
  batch::BatchOptions options;
  options.base_dir = folders_.Base();
  options.evaluation_file = evaluation_file_;
  return options;
}

void LiveResults::EvaluateVerdicts() {
  const batch::BatchOptions options = RunOptions();
  std::ostringstream report, err;
  const batch::BatchOutcome outcome =
      batch::RunCompetition(options, batch::NeedsOf(options), report, err);
  if (outcome.ranked) {
    auto evaluated = std::make_shared<Evaluated>();
    // The report printed by this very run: the file may already be a later run's.
    const auto blocks = LogBlocks(report.str());
    for (size_t i = 0; i < outcome.record.entries.size(); ++i) {
      const record::EntryRecord& entry = outcome.record.entries[i];
      EntryVerdict& verdict = (*evaluated)[entry.folder];
      verdict.verdict = publish::EntryJson(entry);
      if (i + 1 < blocks.size()) verdict.log = blocks[i + 1];
    }
    for (const results::RankedEntry& ranked : results::RankRecord(outcome.record)) {
      EntryVerdict& verdict = (*evaluated)[outcome.record.entries[ranked.entry].folder];
      verdict.place = ranked.time < kNoTime ? nlohmann::ordered_json(ranked.place) : nullptr;
    }
    std::lock_guard lock(mutex_);
    latest_ = std::move(evaluated);
  }
  pages_.Request();
}

void LiveResults::BuildPage() {
  const int64_t number = ++pages_built_;
  const std::string folder = folders_.Pages() + "run-" + std::to_string(number) + "/";
  std::error_code ec;
  fs::remove_all(folder, ec);
  batch::BatchOptions options = RunOptions();
  options.export_dir = folder;
  std::ostringstream out, err;
  if (!batch::RunCompetition(options, batch::NeedsOf(options), out, err).ranked) return;
  if (provisional_()) MarkProvisional(folder);
  {
    std::lock_guard lock(mutex_);
    page_folder_ = folder;
  }
  // The page before this one may still be read by a slow client, which
  // holds its files open; older ones go.
  RemoveOlderPages(folders_.Pages(), number - 1);
}

}  // namespace hl::server
