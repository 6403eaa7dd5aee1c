#pragma once
// The arguments of a batch run, taken apart and checked before anything is
// evaluated, so a typing mistake never leaves half a run behind.

#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "audit/period.h"
#include "evaluation/evaluation_file.h"

namespace hl::batch {

struct BatchOptions {
  std::string base_dir;                          // absolute, ends with "/"
  std::map<std::string, std::string> penalties;  // entry folder name -> penalty text
  bool google = false;
  std::string pictures_dir;  // absolute, ends with "/"; "" when no pictures are wanted
  // Results files: absolute paths, kStandardOutput, or "" when not wanted.
  std::string json_file;
  std::string csv_file;
  std::string export_dir;  // absolute, ends with "/"; "" when no results page is wanted
  bool audit = false;      // print the findings after the report
  std::optional<audit::Period> period;  // the days the laps had to be driven on
  // --evaluation: absolute, or "" without one; --record writes this run's
  // fingerprints into it. `saved` is what the file holds, read just before
  // the run (WithSavedEvaluation).
  std::string evaluation_file;
  bool record = false;
  evaluation::EvaluationFile saved;
  // A round of a season: a folder without an accepted track gets no report or chart.
  bool season_round = false;
};

inline constexpr const char* kStandardOutput = "-";

// --season FILE: every competition the season file names, evaluated as
// --batch would, then the standings across them.
struct SeasonOptions {
  std::string season_file;  // as given
  // As in BatchOptions: absolute paths, kStandardOutput, or "".
  std::string json_file;
  std::string csv_file;
  std::string export_dir;  // absolute, ends with "/"; "" when no pages are wanted
};

struct ShowHelp {};
struct ShowVersion {};
struct UsageError {
  std::string message;  // one line, no line break
};

using ParsedCommandLine =
    std::variant<BatchOptions, SeasonOptions, ShowHelp, ShowVersion, UsageError>;

// Reads the arguments after the program name. Folders are made absolute
// against the working folder; the base folder and the entries named by
// --penalty must exist. Creates nothing.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

std::string UsageText();

}  // namespace hl::batch
