#include "app/batch/command_line.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "app/penalty.h"
#include "toolkit/files/file_identity.h"

namespace hl::batch {
namespace {

namespace fs = std::filesystem;

// Absolute and normal, without a closing "/" so a file given as a folder
// is reported as a file.
fs::path AbsolutePath(const std::string& given) {
  std::error_code ec;
  fs::path absolute = fs::absolute(fs::path(given), ec).lexically_normal();
  if (ec) absolute = fs::path(given).lexically_normal();
  if (!absolute.has_filename() && absolute.has_relative_path()) absolute = absolute.parent_path();
  return absolute;
}

std::string AsFolderText(const fs::path& folder) {
  std::string text = folder.string();
  if (text.empty() || text.back() != '/') text += '/';
  return text;
}

std::optional<std::string> CheckBaseFolder(const std::string& given, const fs::path& absolute) {
  if (const auto found = files::IdentityOf(absolute.string()); !found)
    return "base folder '" + given + "'" + files::AsClause(found.error().what);
  std::error_code ec;
  if (!fs::is_directory(absolute, ec)) return "'" + given + "' is not a folder";
  fs::directory_iterator listing(absolute, ec);
  if (ec) return "base folder '" + given + "' cannot be read: " + ec.message();
  return std::nullopt;
}

std::optional<std::string> AddPenalty(BatchOptions& options, const std::string& argument) {
  const size_t equals = argument.rfind('=');
  if (equals == std::string::npos || equals == 0)
    return "--penalty wants ENTRY=TIME, got '" + argument + "'";
  const std::string entry = argument.substr(0, equals);
  const std::string time = argument.substr(equals + 1);
  if (!app::IsPenaltyTime(time))
    return "penalty time '" + time + "' for '" + entry + "' is not a number of hundredths";
  const bool plain_name = entry != "." && entry != ".." && entry.find('/') == std::string::npos;
  std::error_code ec;
  if (!plain_name || !fs::is_directory(fs::path(options.base_dir) / entry, ec))
    return "'" + entry + "' is not an entry folder of " + options.base_dir;
  if (!options.penalties.emplace(entry, time).second)
    return "more than one penalty for '" + entry + "'";
  return std::nullopt;
}

// "--name value" or "--name=value" for the options that take a value.
class ArgumentReader {
 public:
  explicit ArgumentReader(const std::vector<std::string>& args) : args_(args) {}

  bool AtEnd() const { return next_ >= args_.size(); }

  // The option name of the next argument; its value is then ready for Value().
  std::string TakeOption() {
    const std::string& arg = args_[next_++];
    const size_t equals = arg.find('=');
    if (arg.rfind("--", 0) == 0 && equals != std::string::npos) {
      inline_value_ = arg.substr(equals + 1);
      return arg.substr(0, equals);
    }
    inline_value_.reset();
    return arg;
  }
  bool HasInlineValue() const { return inline_value_.has_value(); }

  std::optional<std::string> Value() {
    if (inline_value_) return std::exchange(inline_value_, std::nullopt);
    if (AtEnd()) return std::nullopt;
    return args_[next_++];
  }

 private:
  const std::vector<std::string>& args_;
  size_t next_ = 0;
  std::optional<std::string> inline_value_;
};

// The values of the options that may be given once.
struct GivenValues {
  std::optional<std::string> base, pictures, json, csv, export_dir, period;
  std::optional<std::string> evaluation, season;
};

std::optional<std::string>* ValueSlot(const std::string& option, GivenValues& given) {
  if (option == "--batch") return &given.base;
  if (option == "--pictures") return &given.pictures;
  if (option == "--json") return &given.json;
  if (option == "--csv") return &given.csv;
  if (option == "--export") return &given.export_dir;
  if (option == "--period") return &given.period;
  if (option == "--evaluation") return &given.evaluation;
  if (option == "--season") return &given.season;
  return nullptr;
}

std::string OutputPath(const std::string& given) {
  return given == kStandardOutput ? given : AbsolutePath(given).string();
}

std::optional<std::string> TakeResultsFiles(BatchOptions& options, const GivenValues& given) {
  if (given.json) options.json_file = OutputPath(*given.json);
  if (given.csv) options.csv_file = OutputPath(*given.csv);
  if (given.export_dir) options.export_dir = AsFolderText(AbsolutePath(*given.export_dir));
  const int to_standard_output = (options.json_file == kStandardOutput) +
                                 (options.csv_file == kStandardOutput) + options.google;
  if (to_standard_output > 1) return "only one of --google, --json - and --csv - can be printed";
  if (options.audit && to_standard_output > 0)
    return "--audit prints after the report, so it cannot go with --google, --json - or --csv -";
  return std::nullopt;
}

std::optional<std::string> TakePeriod(BatchOptions& options, const GivenValues& given) {
  if (!given.period) return std::nullopt;
  auto period = audit::ParsePeriod(*given.period);
  if (!period) return "--period: " + period.error().what;
  options.period = *period;
  return std::nullopt;
}

std::optional<std::string> TakeEvaluationFile(BatchOptions& options, const GivenValues& given) {
  if (given.evaluation) options.evaluation_file = AbsolutePath(*given.evaluation).string();
  if (options.record && !given.evaluation) return "--record needs --evaluation FILE";
  return std::nullopt;
}

// A season runs each competition with the options its file gives, so of
// the batch options only the season's own outputs remain.
ParsedCommandLine TakeSeason(const BatchOptions& options, const GivenValues& given,
                             bool has_penalties) {
  if (given.base) return UsageError{"--season and --batch cannot be combined"};
  if (has_penalties || options.google || options.record || options.audit || given.pictures ||
      given.period || given.evaluation) {
    return UsageError{"--season takes only --json, --csv and --export"};
  }
  SeasonOptions season;
  season.season_file = *given.season;
  if (given.json) season.json_file = OutputPath(*given.json);
  if (given.csv) season.csv_file = OutputPath(*given.csv);
  if (given.export_dir) season.export_dir = AsFolderText(AbsolutePath(*given.export_dir));
  if (season.json_file == kStandardOutput && season.csv_file == kStandardOutput)
    return UsageError{"only one of --json - and --csv - can be printed"};
  return season;
}

}  // namespace

std::string UsageText() {
  return "Usage: hotlap-eval\n"
         "         opens the evaluation window\n"
         "       hotlap-eval --batch BASEDIR [--penalty ENTRY=TIME]... [--google]"
         " [--pictures OUTDIR]\n"
         "         [--json FILE] [--csv FILE] [--export DIR] [--audit]"
         " [--period FROM..TO]\n"
         "         [--evaluation FILE [--record]]\n"
         "         evaluates the competition in BASEDIR without a window\n"
         "       hotlap-eval --season FILE [--json FILE] [--csv FILE] [--export DIR]\n"
         "         evaluates every competition of a season and prints the standings\n"
         "\n"
         "  --batch BASEDIR       the competition folder: the reference car file and\n"
         "                        one folder per entry\n"
         "  --penalty ENTRY=TIME  replaces the lap time of entry folder ENTRY by TIME\n"
         "                        (hundredths of a second, e.g. 6000); may be repeated\n"
         "  --google              prints the Google chart parameters instead of the\n"
         "                        report (template google_charts.txt in the working folder)\n"
         "  --pictures OUTDIR     saves every entry's track picture as OUTDIR/ENTRY.png\n"
         "  --json FILE           writes the results as JSON (- prints them instead of\n"
         "                        the report)\n"
         "  --csv FILE            writes the results as CSV (- prints them instead of\n"
         "                        the report)\n"
         "  --export DIR          writes a results page DIR/index.html with the chart,\n"
         "                        a ghost overlay, every entry's pictures, JSON and CSV\n"
         "  --audit               prints the audit's findings after the report, one line\n"
         "                        each: a modified car and where it differs, copied track\n"
         "                        files and ghosts, ghosts that jump, missing files\n"
         "  --period FROM..TO     the days the laps had to be driven on (YYYY-MM-DD, both\n"
         "                        included); a lap recorded on another day is a finding\n"
         "  --evaluation FILE     the saved evaluation (TOML): penalties with their\n"
         "                        reasons, the period and the fingerprints of the files\n"
         "                        last recorded; entries whose files changed since are\n"
         "                        named\n"
         "  --record              writes this run's fingerprints into the --evaluation\n"
         "                        file, keeping everything else in it\n"
         "  --season FILE         the season file (TOML): title, points, best and one\n"
         "                        [[competition]] per round (folder, evaluation); the\n"
         "                        rounds run in parallel, --json, --csv and --export\n"
         "                        then hold the standings\n"
         "  --help                shows this text\n"
         "  --version             shows the version\n"
         "\n"
         "The report and the chart are written into BASEDIR; the report is also\n"
         "printed. Exit status: 0 done, 1 something could not be written, 2 bad usage.\n";
}

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  if (std::find(args.begin(), args.end(), "--help") != args.end()) return ShowHelp{};
  if (std::find(args.begin(), args.end(), "--version") != args.end()) return ShowVersion{};

  BatchOptions options;
  GivenValues given;
  std::vector<std::string> penalty_arguments;
  ArgumentReader reader(args);
  while (!reader.AtEnd()) {
    const std::string option = reader.TakeOption();
    if (option == "--google" && !reader.HasInlineValue()) {
      options.google = true;
      continue;
    }
    if (option == "--record" && !reader.HasInlineValue()) {
      options.record = true;
      continue;
    }
    if (option == "--audit" && !reader.HasInlineValue()) {
      options.audit = true;
      continue;
    }
    std::optional<std::string>* slot = ValueSlot(option, given);
    if (slot == nullptr && option != "--penalty") {
      if (option.rfind("-", 0) == 0) return UsageError{"unknown option '" + option + "'"};
      return UsageError{"unexpected argument '" + option + "'"};
    }
    const std::optional<std::string> value = reader.Value();
    if (!value || value->empty()) return UsageError{option + " needs a value"};
    if (slot == nullptr) {
      penalty_arguments.push_back(*value);
    } else {
      if (*slot) return UsageError{option + " given twice"};
      *slot = *value;
    }
  }
  if (given.season) return TakeSeason(options, given, !penalty_arguments.empty());
  std::optional<std::string>& base_given = given.base;
  std::optional<std::string>& pictures_given = given.pictures;
  if (!base_given) return UsageError{"--batch BASEDIR is missing"};

  const fs::path base = AbsolutePath(*base_given);
  if (auto problem = CheckBaseFolder(*base_given, base)) return UsageError{*problem};
  options.base_dir = AsFolderText(base);
  for (const std::string& argument : penalty_arguments) {
    if (auto problem = AddPenalty(options, argument)) return UsageError{*problem};
  }
  if (pictures_given) options.pictures_dir = AsFolderText(AbsolutePath(*pictures_given));
  if (auto problem = TakeResultsFiles(options, given)) return UsageError{*problem};
  if (auto problem = TakeEvaluationFile(options, given)) return UsageError{*problem};
  if (auto problem = TakePeriod(options, given)) return UsageError{*problem};
  return options;
}

}  // namespace hl::batch
