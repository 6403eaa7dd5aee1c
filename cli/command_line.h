#pragma once
// The command line read and checked: the arguments taken apart (no effect
// on anything), then checked against the file system in one step before
// anything is evaluated, so a typing mistake never leaves half a run behind.

#include <string>
#include <variant>
#include <vector>

#include "cli/arguments.h"
#include "run/run_plan.h"
#include "server/server_commands.h"
#include "server/server_options.h"

namespace hl::cli {

using run::kStandardOutput;

// --season FILE: every competition the season file names, evaluated as
// --batch would, then the standings across them.
struct SeasonOptions {
  std::string season_file;  // as given
  // As in run::RunPlan: absolute paths, kStandardOutput, or "".
  std::string json_file;
  std::string csv_file;
  std::string export_dir;  // absolute, ends with "/"; "" when no pages are wanted
};

using ParsedCommandLine =
    std::variant<run::RunPlan, SeasonOptions, server::ServerOptions, server::TokenOptions,
                 server::LedgerOptions, server::FinalizeOptions, server::VerifyFinalOptions,
                 ShowHelp, ShowVersion, UsageError>;

// Folders are made absolute against the working folder; the base folder and
// the entries named by --penalty must exist; serve's evaluation file is
// read for its closing time. Creates nothing.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

}  // namespace hl::cli
