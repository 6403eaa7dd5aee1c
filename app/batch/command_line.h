#pragma once
// The arguments of a batch run, taken apart and checked before anything is
// evaluated, so a typing mistake never leaves half a run behind.

#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "run/run_spec.h"

namespace hl::batch {

// A batch run is asked for what a competition run does.
using BatchOptions = run::RunSpec;
using run::kStandardOutput;

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
