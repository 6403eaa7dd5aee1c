#include "cli/command_line.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "cli/given_paths.h"
#include "cli/server_checks.h"
#include "evaluation/competition_file.h"
#include "record/rules.h"
#include "run/competition_folder.h"

namespace hl::cli {
namespace {

namespace fs = std::filesystem;
using run::RunPlan;

std::string OutputPath(const std::string& given) {
  return given == kStandardOutput ? given : AbsolutePath(given).string();
}

std::string OutputFolder(const std::optional<std::string>& given) {
  return given ? AsFolderText(AbsolutePath(*given)) : "";
}

std::optional<std::string> AddPenalty(RunPlan& plan, const std::string& argument) {
  const size_t equals = argument.rfind('=');
  if (equals == std::string::npos || equals == 0)
    return "--penalty wants ENTRY=TIME, got '" + argument + "'";
  const std::string entry = argument.substr(0, equals);
  const std::string time = argument.substr(equals + 1);
  if (!record::IsPenaltyTime(time))
    return "penalty time '" + time + "' for '" + entry + "' is not a number of hundredths";
  std::error_code ec;
  if (!record::IsEntryFolderName(entry) || !fs::is_directory(fs::path(plan.base_dir) / entry, ec))
    return "'" + entry + "' is not an entry folder of " + plan.base_dir;
  if (!plan.penalties.emplace(entry, time).second)
    return "more than one penalty for '" + entry + "'";
  return std::nullopt;
}

std::optional<std::string> TakeResultsFiles(RunPlan& plan, const GivenArguments& given) {
  if (given.json) plan.json_file = OutputPath(*given.json);
  if (given.csv) plan.csv_file = OutputPath(*given.csv);
  plan.export_dir = OutputFolder(given.export_dir);
  const int to_standard_output =
      (plan.json_file == kStandardOutput) + (plan.csv_file == kStandardOutput) + plan.google;
  if (to_standard_output > 1) return "only one of --google, --json - and --csv - can be printed";
  if (plan.audit && to_standard_output > 0)
    return "--audit prints after the report, so it cannot go with --google, --json - or --csv -";
  return std::nullopt;
}

std::optional<std::string> TakePeriod(RunPlan& plan, const GivenArguments& given) {
  if (!given.period) return std::nullopt;
  auto period = audit::ParsePeriod(*given.period);
  if (!period) return "--period: " + period.error().what;
  plan.period = *period;
  return std::nullopt;
}

// The base folder's evaluation.toml unless another file or none is asked for.
std::optional<std::string> TakeEvaluationFile(RunPlan& plan, const GivenArguments& given) {
  if (given.evaluation && given.no_evaluation)
    return "--evaluation and --no-evaluation cannot be combined";
  plan.evaluation_file = ChosenEvaluationFile(plan.base_dir, given.evaluation, given.no_evaluation);
  // A base folder without its own file has none, until the first --record
  // creates it.
  if (!given.evaluation && !plan.record && !evaluation::CompetitionFileIn(plan.base_dir))
    plan.evaluation_file.clear();
  if (plan.record && plan.evaluation_file.empty()) return "--record cannot go with --no-evaluation";
  return std::nullopt;
}

// A season runs each competition with the options its file gives, so of
// the batch options only the season's own outputs remain.
ParsedCommandLine CheckSeason(const GivenArguments& given) {
  if (given.batch) return UsageError{"--season and --batch cannot be combined"};
  if (!given.penalties.empty() || given.google || given.record || given.audit || given.pictures ||
      given.period || given.evaluation || given.no_evaluation) {
    return UsageError{"--season takes only --json, --csv and --export"};
  }
  SeasonOptions season;
  season.season_file = *given.season;
  if (given.json) season.json_file = OutputPath(*given.json);
  if (given.csv) season.csv_file = OutputPath(*given.csv);
  season.export_dir = OutputFolder(given.export_dir);
  if (season.json_file == kStandardOutput && season.csv_file == kStandardOutput)
    return UsageError{"only one of --json - and --csv - can be printed"};
  return season;
}

ParsedCommandLine CheckBatch(const GivenArguments& given) {
  if (!given.batch) return UsageError{"--batch BASEDIR is missing"};
  RunPlan plan;
  plan.google = given.google;
  plan.record = given.record;
  plan.audit = given.audit;
  const fs::path base = AbsolutePath(*given.batch);
  if (auto problem = CheckBaseFolder(*given.batch, base)) return UsageError{*problem};
  plan.base_dir = AsFolderText(base);
  if (auto problem = run::NotACompetitionFolder(plan.base_dir)) return UsageError{*problem};
  for (const std::string& argument : given.penalties) {
    if (auto problem = AddPenalty(plan, argument)) return UsageError{*problem};
  }
  plan.pictures_dir = OutputFolder(given.pictures);
  if (auto problem = TakeResultsFiles(plan, given)) return UsageError{*problem};
  if (auto problem = TakeEvaluationFile(plan, given)) return UsageError{*problem};
  if (auto problem = TakePeriod(plan, given)) return UsageError{*problem};
  return plan;
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  return std::visit(
      [](auto&& read) -> ParsedCommandLine {
        using Kind = std::decay_t<decltype(read)>;
        if constexpr (std::is_same_v<Kind, GivenArguments>) {
          return read.season ? CheckSeason(read) : CheckBatch(read);
        } else if constexpr (std::is_same_v<Kind, GivenServe>) {
          return CheckServe(read);
        } else if constexpr (std::is_same_v<Kind, GivenToken>) {
          return CheckToken(read);
        } else if constexpr (std::is_same_v<Kind, GivenLedger>) {
          return CheckLedger(read);
        } else if constexpr (std::is_same_v<Kind, GivenFinalize>) {
          return CheckFinalize(read);
        } else if constexpr (std::is_same_v<Kind, GivenVerifyFinal>) {
          return CheckVerifyFinal(read);
        } else {
          return read;
        }
      },
      ReadArguments(args));
}

}  // namespace hl::cli
