#pragma once
// What a competition run is asked to do: the base folder, the penalties and
// the outputs beside the report and the chart.

#include <map>
#include <optional>
#include <string>

#include "audit/period.h"
#include "evaluation/evaluation_file.h"
#include "publish/publication.h"
#include "toolkit/files/file_slots.h"

namespace hl::run {

// In place of a results file's path: the file's text goes to standard output.
inline constexpr const char* kStandardOutput = "-";

struct RunPlan {
  std::string base_dir;                          // absolute, ends with "/"
  std::map<std::string, std::string> penalties;  // entry folder name -> penalty time
  bool google = false;                           // the Google chart parameters are made
  std::string pictures_dir;  // absolute, ends with "/"; "" when no pictures are wanted
  // Results files: absolute paths, kStandardOutput, or "" when not wanted.
  std::string json_file;
  std::string csv_file;
  std::string export_dir;  // absolute, ends with "/"; "" when no results page is wanted
  std::string report_dir;  // absolute, ends with "/"; "" for the base folder
  // What the results page and JSON say beside the results (the server's
  // page: its standing, the folder's name alone).
  publish::Publication publication;
  files::Durability export_durability = files::Durability::kFlushed;
  // A chart too tall for the page is left to the caller, to be written once
  // the page is out (EvaluatedCompetition::left_over_chart).
  bool tall_chart_later = false;
  bool audit = false;                   // the findings are printed after the report
  std::optional<audit::Period> period;  // the days the laps had to be driven on
  // The saved evaluation: absolute, or "" without one; `record` writes this
  // run's fingerprints into it. `saved` is what the file holds, read just
  // before the run (WithSavedEvaluation).
  std::string evaluation_file;
  bool record = false;
  evaluation::EvaluationFile saved;
  // A round of a season: a folder without an accepted track gets no report
  // or chart.
  bool season_round = false;
};

}  // namespace hl::run
