#include "app/batch/results_files.h"

#include <span>
#include <string>

#include "publish/results_csv.h"
#include "publish/results_json.h"
#include "toolkit/files/link_target.h"

namespace hl::batch {

bool Deliver(const std::string& destination, const std::string& content, const char* what,
             std::ostream& out, std::ostream& err) {
  if (destination == kStandardOutput) {
    if (out << content << std::flush) return true;
    err << "hotlap-eval: could not write the " << what << " to standard output\n";
    return false;
  }
  const auto* bytes = reinterpret_cast<const uint8_t*>(content.data());
  const auto written = files::ReplaceLinkTargetAtomically(
      destination, std::span<const uint8_t>(bytes, content.size()));
  if (written) {
    err << what << " written to " << destination << '\n';
    return true;
  }
  err << "hotlap-eval: could not write the " << what << " " << written.error().Describe() << '\n';
  return false;
}

bool ResultsReplaceReport(const BatchOptions& options) {
  return options.json_file == kStandardOutput || options.csv_file == kStandardOutput;
}

bool WriteResultsFiles(const record::CompetitionRecord& competition, const BatchOptions& options,
                       std::ostream& out, std::ostream& err) {
  bool complete = true;
  if (!options.json_file.empty()) {
    complete &= Deliver(options.json_file, publish::JsonText(publish::ResultsJson(competition)),
                        "JSON results", out, err);
  }
  if (!options.csv_file.empty()) {
    complete &=
        Deliver(options.csv_file, publish::ResultsCsv(competition), "CSV results", out, err);
  }
  return complete;
}

}  // namespace hl::batch
