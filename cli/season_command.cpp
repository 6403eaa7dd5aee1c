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
#include "run/output_needs.h"
#include "run/results_files.h"
#include "season/parallel_run.h"
#include "season/season_file.h"
#include "season/season_outputs.h"
#include "season/standings.h"
#include "toolkit/files/file_slots.h"

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

std::optional<std::string> FolderProblem(const std::string& folder) {
  std::error_code ec;
  const fs::file_status status = fs::status(folder, ec);
  if (!fs::exists(status)) return "the folder does not exist";
  if (!fs::is_directory(status)) return "not a folder";
  return std::nullopt;
}

bool HoldsATrackFile(const record::CompetitionRecord& competition) {
  for (const record::EntryRecord& entry : competition.entries) {
    if (entry.TrackAccepted()) return true;
  }
  return false;
}

// Inside the export folder, one results page per round, numbered so that
// two rounds of the same folder name never share one.
std::string RoundPage(size_t index) { return "round-" + std::to_string(index + 1) + "/"; }

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

// The season's JSON or CSV, printed for kStandardOutput.
bool Deliver(const std::string& destination, const std::string& content, const char* what,
             std::ostream& out, std::ostream& err) {
  if (destination == kStandardOutput) {
    out << content;
    return true;
  }
  run::Diagnostics diagnostics(PrintingTo(err));
  return run::WriteOutputFile(destination, content, what, diagnostics);
}

bool WriteSeasonPage(const SeasonOptions& options, const season::Season& season,
                     const std::vector<season::CompetitionOutcome>& outcomes,
                     const std::vector<season::DriverStanding>& standings, std::ostream& err) {
  std::vector<std::string> links;
  for (size_t i = 0; i < outcomes.size(); ++i)
    links.push_back(outcomes[i].record ? RoundPage(i) + "index.html" : "");
  const std::string page = season::SeasonPage(season, outcomes, standings, links);
  const std::string path = options.export_dir + "season.html";
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
  std::vector<Round> rounds(season->competitions.size());
  for (size_t i = 0; i < rounds.size(); ++i) {
    const season::SeasonCompetition& competition = season->competitions[i];
    rounds[i].plan.base_dir = competition.base_dir;
    rounds[i].plan.evaluation_file = competition.evaluation;
    if (!options.export_dir.empty()) rounds[i].plan.export_dir = options.export_dir + RoundPage(i);
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
  if (!options.export_dir.empty())
    written &= WriteSeasonPage(options, *season, outcomes, standings, err);
  return run::ProcessStatus(run::Worse(status, run::WrittenOrNot(written)));
}

}  // namespace hl::cli
