#include "cli/season_command.h"

#include <filesystem>
#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "cli/messages.h"
#include "publish/results_json.h"
#include "run/competition_run.h"
#include "run/exit_status.h"
#include "run/output_checks.h"
#include "run/output_needs.h"
#include "run/results_files.h"
#include "run/season_round_page.h"
#include "season/parallel_run.h"
#include "season/season_file.h"
#include "season/season_outputs.h"
#include "season/standings.h"
#include "toolkit/files/file_identity.h"
#include "toolkit/files/file_slots.h"
#include "toolkit/files/link_target.h"

namespace hl::cli {
namespace {

namespace fs = std::filesystem;

// One competition's run; its messages are kept with it so the rounds'
// messages come out in season order however the runs interleave.
struct Round {
  run::RunPlan plan;
  std::optional<std::string> not_a_folder;
  run::EvaluatedCompetition outcome;
};

run::SeasonOutputs OutputsOf(const SeasonOptions& options) {
  return {.season_file = options.season_file,
          .json_file = options.json_file,
          .csv_file = options.csv_file,
          .export_dir = options.export_dir};
}

std::optional<std::string> FolderProblem(const std::string& folder) {
  if (const auto found = files::IdentityOf(folder); !found)
    return "the folder" + files::AsClause(found.error().what);
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return "not a folder";
  return std::nullopt;
}

bool HoldsATrackFile(const record::CompetitionRecord& competition) {
  for (const record::EntryRecord& entry : competition.entries) {
    if (entry.TrackAccepted()) return true;
  }
  return false;
}

void RunRound(Round& round) {
  if (round.not_a_folder) return;
  round.outcome = run::EvaluateCompetition(round.plan, run::NeedsOf(round.plan));
}

season::CompetitionOutcome OutcomeOf(const season::SeasonCompetition& competition, Round& round,
                                     std::ostream& err) {
  for (const run::Diagnostic& diagnostic : round.outcome.diagnostics) Print(err, diagnostic);
  season::CompetitionOutcome outcome;
  if (round.not_a_folder) {
    outcome.error = *round.not_a_folder;
  } else if (round.outcome.stopped) {
    outcome.error = *round.outcome.stopped;
  } else if (!HoldsATrackFile(round.outcome.record)) {
    // --batch evaluates any folder; a round with nothing to rank is a
    // wrong folder in the season file, not a round nobody drove.
    outcome.error = "not a competition: no entry has a readable track file";
  } else {
    outcome.record = std::move(round.outcome.record);
    return outcome;
  }
  PrintProblem(err, "competition " + competition.folder + " failed: " + outcome.error);
  return outcome;
}

std::vector<run::WrittenReport> WrittenReports(
    const std::vector<season::CompetitionOutcome>& outcomes) {
  std::vector<run::WrittenReport> reports;
  for (const season::CompetitionOutcome& outcome : outcomes) {
    if (outcome.record) reports.push_back({outcome.record->folder, outcome.record->track});
  }
  return reports;
}

// Made before the rounds run, so that a link left where a round's page
// belongs is replaced rather than followed out of the export folder.
bool MakeRoundPageFolders(const std::string& export_dir, size_t count, std::ostream& err) {
  std::error_code ec;
  fs::create_directories(export_dir, ec);
  for (size_t i = 0; i < count; ++i) {
    if (const auto made = files::MakeFoldersWithoutLinks(export_dir, run::SeasonRoundPage(i));
        !made) {
      PrintProblem(err, made.error().Describe());
      return false;
    }
  }
  return true;
}

// The season's JSON or CSV, printed for kStandardOutput.
bool Deliver(const std::string& destination, const std::string& content, const char* what,
             std::ostream& out, std::ostream& err) {
  if (destination == kStandardOutput) {
    if (out << content << std::flush) return true;
    PrintProblem(err, std::string("could not write the ") + what + " to standard output");
    return false;
  }
  run::Diagnostics diagnostics(PrintingTo(err));
  return run::WriteOutputFile(destination, content, what, diagnostics);
}

// A failed round has no page; what its run wrote into its folder of the
// export goes with the folder.
void RemoveFailedRoundPages(const std::string& export_dir,
                            const std::vector<season::CompetitionOutcome>& outcomes) {
  std::error_code ec;
  for (size_t i = 0; i < outcomes.size(); ++i) {
    if (!outcomes[i].record) fs::remove_all(export_dir + run::SeasonRoundPage(i), ec);
  }
}

bool WriteSeasonPage(const SeasonOptions& options, const season::Season& season,
                     const std::vector<season::CompetitionOutcome>& outcomes,
                     const std::vector<season::DriverStanding>& standings, std::ostream& err) {
  std::vector<std::string> links;
  for (size_t i = 0; i < outcomes.size(); ++i)
    links.push_back(outcomes[i].record ? run::SeasonRoundPage(i) + "index.html" : "");
  const std::string page = season::SeasonPage(season, outcomes, standings, links);
  const std::string path = options.export_dir + run::kSeasonPage;
  std::error_code ec;
  fs::create_directories(options.export_dir, ec);
  const auto* bytes = reinterpret_cast<const uint8_t*>(page.data());
  if (!files::ReplaceFileAtomically(path, std::span<const uint8_t>(bytes, page.size()))) {
    PrintProblem(err, "could not write the season page " + path);
    return false;
  }
  err << "Season page written to " << path << '\n';
  return true;
}

}  // namespace

int RunSeason(const SeasonOptions& options, std::ostream& out, std::ostream& err) {
  const auto season = season::ReadSeasonFile(options.season_file);
  if (!season) {
    PrintProblem(err, season.error().Describe());
    return run::ProcessStatus(run::ExitStatus::kBadUsage);
  }
  if (const auto clash = run::SeasonOutputClash(OutputsOf(options), *season)) {
    PrintProblem(err, *clash);
    return run::ProcessStatus(run::ExitStatus::kBadUsage);
  }
  std::vector<Round> rounds(season->competitions.size());
  if (!options.export_dir.empty() && !MakeRoundPageFolders(options.export_dir, rounds.size(), err))
    return run::ProcessStatus(run::ExitStatus::kNotWritten);
  for (size_t i = 0; i < rounds.size(); ++i) {
    const season::SeasonCompetition& competition = season->competitions[i];
    rounds[i].plan.base_dir = competition.base_dir;
    rounds[i].plan.evaluation_file = competition.evaluation;
    rounds[i].plan.season_round = true;
    if (!options.export_dir.empty())
      rounds[i].plan.export_dir = options.export_dir + run::SeasonRoundPage(i);
    rounds[i].not_a_folder = FolderProblem(competition.base_dir);
  }
  season::RunEach(rounds.size(), [&rounds](size_t i) { RunRound(rounds[i]); });

  run::ExitStatus status = run::ExitStatus::kDone;
  std::vector<season::CompetitionOutcome> outcomes;
  for (size_t i = 0; i < rounds.size(); ++i) {
    outcomes.push_back(OutcomeOf(season->competitions[i], rounds[i], err));
    status = run::Worse(
        status, outcomes.back().record ? rounds[i].outcome.status : run::ExitStatus::kNotWritten);
  }
  if (const auto clash = run::SeasonReportClash(OutputsOf(options), WrittenReports(outcomes))) {
    PrintProblem(err, *clash);
    return run::ProcessStatus(run::ExitStatus::kBadUsage);
  }
  const std::vector<season::DriverStanding> standings = season::ScoreSeason(*season, outcomes);
  if (options.json_file != kStandardOutput && options.csv_file != kStandardOutput)
    out << season::StandingsText(*season, standings);
  bool written = true;
  if (!options.json_file.empty()) {
    written &= Deliver(options.json_file,
                       publish::JsonText(season::SeasonJson(*season, outcomes, standings)),
                       "season JSON", out, err);
  }
  if (!options.csv_file.empty())
    written &=
        Deliver(options.csv_file, season::SeasonCsv(*season, standings), "season CSV", out, err);
  if (!options.export_dir.empty()) {
    RemoveFailedRoundPages(options.export_dir, outcomes);
    written &= WriteSeasonPage(options, *season, outcomes, standings, err);
  }
  return run::ProcessStatus(run::Worse(status, run::WrittenOrNot(written)));
}

}  // namespace hl::cli
