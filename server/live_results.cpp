#include "server/live_results.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

#include "publish/results_json.h"
#include "ranking/record_ranking.h"
#include "record/rules.h"
#include "run/competition_run.h"
#include "run/output_needs.h"
#include "toolkit/files/file_slots.h"

namespace hl::server {
namespace {

namespace fs = std::filesystem;

constexpr const char* kProvisionalMarker = "<p class=\"provisional\">provisional</p>\n";

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::span<const uint8_t> Bytes(const std::string& text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
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

// An entry's log as the window shows it, a line each.
std::vector<std::string> LogLines(const std::string& log) {
  std::vector<std::string> lines;
  std::istringstream in(log);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
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

run::RunPlan LiveResults::Plan() const {
  run::RunPlan plan;
  plan.base_dir = folders_.Base();
  plan.evaluation_file = evaluation_file_;
  return plan;
}

void LiveResults::EvaluateVerdicts() {
  const run::RunPlan plan = Plan();
  state::OutputNeeds needs = run::NeedsOf(plan);
  // A verdict is the entry as results.json describes it, findings and all.
  needs.screen_verdicts = true;
  needs.findings = true;
  const run::EvaluatedCompetition run = run::EvaluateCompetition(plan, needs);
  if (run.Ranked()) {
    auto evaluated = std::make_shared<Evaluated>();
    for (size_t i = 0; i < run.record.entries.size(); ++i) {
      const record::EntryRecord& entry = run.record.entries[i];
      EntryVerdict& verdict = (*evaluated)[entry.folder];
      verdict.verdict = publish::EntryJson(entry);
      if (i < run.entry_logs.size()) verdict.log = LogLines(run.entry_logs[i]);
    }
    for (const ranking::RankedEntry& ranked : ranking::RankRecord(run.record)) {
      EntryVerdict& verdict = (*evaluated)[run.record.entries[ranked.entry].folder];
      verdict.place =
          ranked.time < record::kNoTime ? nlohmann::ordered_json(ranked.place) : nullptr;
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
  run::RunPlan plan = Plan();
  plan.export_dir = folder;
  if (!run::EvaluateCompetition(plan, run::NeedsOf(plan)).Ranked()) return;
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
