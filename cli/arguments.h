#pragma once
// The command line taken apart, as typed: nothing here looks at the file
// system, so parsing has no effect and cannot fail half way.

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace hl::cli {

// The options as given, each value option at most once.
struct GivenArguments {
  std::optional<std::string> batch;   // --batch BASEDIR or "batch BASEDIR"
  std::optional<std::string> season;  // --season FILE or "season FILE"
  std::optional<std::string> pictures, json, csv, export_dir, period, evaluation;
  std::vector<std::string> penalties;  // ENTRY=TIME, in the order given
  bool google = false;
  bool record = false;
  bool audit = false;
  bool no_evaluation = false;
};

struct ShowHelp {};
struct ShowVersion {};
struct UsageError {
  std::string message;  // one line, no line break
};

using Arguments = std::variant<GivenArguments, ShowHelp, ShowVersion, UsageError>;

// The arguments after the program name. --help and --version win wherever
// they stand.
Arguments ReadArguments(const std::vector<std::string>& args);

}  // namespace hl::cli
