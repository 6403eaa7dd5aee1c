#include "run/results_files.h"

#include <span>
#include <string>

#include "publish/results_csv.h"
#include "publish/results_json.h"
#include "toolkit/files/link_target.h"

namespace hl::run {
namespace {

std::string JsonOf(const record::CompetitionRecord& competition, const RunPlan& plan) {
  return publish::ResultsJsonText(competition, plan.publication);
}

}  // namespace

bool WriteOutputFile(const std::string& path, const std::string& content, const char* what,
                     Diagnostics& diagnostics) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(content.data());
  const auto written =
      files::ReplaceLinkTargetAtomically(path, std::span<const uint8_t>(bytes, content.size()));
  if (written) {
    diagnostics.Note(std::string(what) + " written to " + path);
    return true;
  }
  diagnostics.Problem("could not write the " + std::string(what) + " " +
                      written.error().Describe());
  return false;
}

bool ResultsReplaceReport(const RunPlan& plan) {
  return plan.json_file == kStandardOutput || plan.csv_file == kStandardOutput;
}

bool WriteResultsFiles(const record::CompetitionRecord& competition, const RunPlan& plan,
                       Diagnostics& diagnostics) {
  bool complete = true;
  if (!plan.json_file.empty() && plan.json_file != kStandardOutput)
    complete &=
        WriteOutputFile(plan.json_file, JsonOf(competition, plan), "JSON results", diagnostics);
  if (!plan.csv_file.empty() && plan.csv_file != kStandardOutput) {
    complete &= WriteOutputFile(plan.csv_file, publish::ResultsCsv(competition), "CSV results",
                                diagnostics);
  }
  return complete;
}

std::string PrintedResults(const record::CompetitionRecord& competition, const RunPlan& plan) {
  if (plan.json_file == kStandardOutput) return JsonOf(competition, plan);
  if (plan.csv_file == kStandardOutput) return publish::ResultsCsv(competition);
  return "";
}

}  // namespace hl::run
