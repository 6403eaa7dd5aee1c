#include "run/output_checks.h"

#include <filesystem>
#include <system_error>

#include "publish/export_plan.h"
#include "run/season_round_page.h"
#include "toolkit/files/output_plan.h"
#include "toolkit/files/paths.h"
#include "toolkit/text/text.h"

namespace hl::run {
namespace {

namespace fs = std::filesystem;
using files::NamedPath;
using files::OutputPlan;

// The files of the export folder besides its entries' pictures.
constexpr const char* kExportFiles[] = {"index.html", "chart.png", "ghosts.png", "results.json",
                                        "results.csv"};

bool IsCarFile(const std::string& name) {
  return name.size() >= 3 && text::LowerCase(name.substr(name.size() - 3)) == "car";
}

// The reference car files and every file of every entry folder; with
// pictures, the picture each entry would get.
void AddCompetition(const std::string& base_dir, const std::string& pictures_dir,
                    OutputPlan& plan) {
  plan.input_folders.push_back({"the competition folder", base_dir});
  std::error_code ec;
  for (const fs::directory_entry& item : fs::directory_iterator(base_dir, ec)) {
    const std::string name = item.path().filename().string();
    if (item.is_regular_file(ec) && IsCarFile(name)) {
      plan.input_files.push_back({"the car file", item.path().string()});
    } else if (item.is_directory(ec)) {
      for (const fs::directory_entry& file : fs::directory_iterator(item.path(), ec)) {
        if (file.is_regular_file(ec)) plan.input_files.push_back({"the entry file", file.path()});
      }
      if (!pictures_dir.empty())
        plan.output_files.push_back({"--pictures", pictures_dir + name + ".png"});
    }
  }
}

// A results file that goes to a file rather than standard output.
bool IsFile(const std::string& path) { return !path.empty() && path != kStandardOutput; }

void AddResultsFile(const char* option, const std::string& path, OutputPlan& plan) {
  if (IsFile(path)) plan.output_files.push_back({option, path});
}

void AddGoogleTemplate(OutputPlan& plan) {
  plan.input_files.push_back(
      {"the Google chart template", files::QueryCurrentDir() + "google_charts.txt"});
}

std::optional<std::string> Clash(const OutputPlan& plan, const char* consequence) {
  if (auto clash = files::FindClash(plan)) return *clash + "; " + consequence;
  return std::nullopt;
}

constexpr const char* kNothingWritten = "nothing was written";

// An export refreshes an empty folder or one that holds an earlier export
// (`mark` is there); any other folder is someone else's, whose pages it
// would replace.
std::optional<std::string> ForeignExportFolder(const std::string& export_dir, const char* mark) {
  std::error_code ec;
  if (fs::is_empty(export_dir, ec) || ec || fs::exists(export_dir + mark, ec)) return std::nullopt;
  return "--export '" + export_dir + "' holds files but no " + mark +
         " of an earlier export; give an empty or new folder, or that of an earlier export; " +
         kNothingWritten;
}
constexpr const char* kResultsNotWritten = "the results were not written";

}  // namespace

std::optional<std::string> OutputClash(const RunPlan& options) {
  // The report and chart alone are checked once they have their names; a
  // run without other outputs spares its competition the scan.
  if (options.pictures_dir.empty() && !options.record && !IsFile(options.json_file) &&
      !IsFile(options.csv_file) && options.export_dir.empty())
    return std::nullopt;
  OutputPlan plan;
  AddCompetition(options.base_dir, options.pictures_dir, plan);
  if (!options.pictures_dir.empty())
    plan.output_folders.push_back({"--pictures", options.pictures_dir});
  if (!options.evaluation_file.empty()) {
    // Recording rewrites the file the run reads, which is what was asked for.
    auto& list = options.record ? plan.output_files : plan.input_files;
    list.push_back({"--evaluation", options.evaluation_file});
  }
  AddResultsFile("--json", options.json_file, plan);
  AddResultsFile("--csv", options.csv_file, plan);
  if (!options.export_dir.empty()) {
    plan.output_folders.push_back({"--export", options.export_dir});
    for (const char* name : kExportFiles)
      plan.output_files.push_back({"--export", options.export_dir + name});
    plan.owned_folders.push_back({"--export", options.export_dir + "entries"});
  }
  AddGoogleTemplate(plan);
  if (auto clash = Clash(plan, kNothingWritten)) return clash;
  if (options.export_dir.empty()) return std::nullopt;
  return ForeignExportFolder(options.export_dir, publish::kExportManifest);
}

std::optional<std::string> SeasonOutputClash(const SeasonOutputs& options,
                                             const season::Season& season) {
  if (!IsFile(options.json_file) && !IsFile(options.csv_file) && options.export_dir.empty())
    return std::nullopt;
  OutputPlan plan;
  plan.input_files.push_back({"--season", options.season_file});
  for (size_t i = 0; i < season.competitions.size(); ++i) {
    const season::SeasonCompetition& round = season.competitions[i];
    AddCompetition(round.base_dir, "", plan);
    if (!round.evaluation.empty())
      plan.input_files.push_back({"the evaluation file", round.evaluation});
    if (!options.export_dir.empty())
      plan.owned_folders.push_back({"--export", options.export_dir + SeasonRoundPage(i)});
  }
  AddResultsFile("--json", options.json_file, plan);
  AddResultsFile("--csv", options.csv_file, plan);
  if (!options.export_dir.empty()) {
    plan.output_folders.push_back({"--export", options.export_dir});
    plan.output_files.push_back({"--export", options.export_dir + kSeasonPage});
  }
  AddGoogleTemplate(plan);
  if (auto clash = Clash(plan, kNothingWritten)) return clash;
  if (options.export_dir.empty()) return std::nullopt;
  return ForeignExportFolder(options.export_dir, kSeasonPage);
}

namespace {

void AddReport(const WrittenReport& report, OutputPlan& plan) {
  const std::string stem = report.base_dir + report.track;
  plan.input_files.push_back({"the report", stem + ".txt"});
  plan.input_files.push_back({"the chart", stem + ".png"});
}

}  // namespace

std::optional<std::string> ReportClash(const RunPlan& options, const WrittenReport& report) {
  OutputPlan plan;
  AddReport(report, plan);
  if (options.record) plan.output_files.push_back({"--evaluation", options.evaluation_file});
  AddResultsFile("--json", options.json_file, plan);
  AddResultsFile("--csv", options.csv_file, plan);
  return Clash(plan, kResultsNotWritten);
}

std::optional<std::string> SeasonReportClash(const SeasonOutputs& options,
                                             const std::vector<WrittenReport>& reports) {
  OutputPlan plan;
  for (const WrittenReport& report : reports) AddReport(report, plan);
  AddResultsFile("--json", options.json_file, plan);
  AddResultsFile("--csv", options.csv_file, plan);
  return Clash(plan, kResultsNotWritten);
}

}  // namespace hl::run
