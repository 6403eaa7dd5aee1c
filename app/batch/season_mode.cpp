#include "app/batch/season_mode.h"

#include <filesystem>
#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "app/batch/batch_mode.h"
#include "app/batch/batch_needs.h"
#include "app/batch/exit_status.h"
#include "app/batch/results_files.h"
#include "publish/results_json.h"
#include "season/parallel_run.h"
#include "season/season_file.h"
#include "season/season_outputs.h"
#include "season/standings.h"
#include "toolkit/files/file_slots.h"

namespace hl::batch {
namespace {

namespace fs = std::filesystem;

constexpr const char* kProgram = "hotlap-eval: ";

// One competition's run; what it prints is kept apart so the rounds'
// messages come out in season order however the runs interleave.
struct Round {
  BatchOptions options;
  std::optional<std::string> not_a_folder;
  std::ostringstream out, err;
  BatchOutcome outcome;
};

std::optional<std::string> FolderProblem(const std::string& folder) {
  std::error_code ec;
  const fs::file_status status = fs::status(folder, ec);
  if (!fs::exists(status)) return "the folder does not exist";
  if (!fs::is_directory(status)) return "not a folder";
  return std::nullopt;
}

// The run's last complaint, which says why it stopped.
std::string FailureReason(const std::string& messages) {
  std::istringstream lines(messages);
  std::string line, reason = "not evaluated";
  while (std::getline(lines, line)) {
    if (line.rfind(kProgram, 0) == 0) reason = line.substr(std::string(kProgram).size());
  }
  return reason;
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
  round.outcome = RunCompetition(round.options, NeedsOf(round.options), round.out, round.err);
}

season::CompetitionOutcome OutcomeOf(const season::SeasonCompetition& competition, Round& round,
                                     std::ostream& err) {
  err << round.err.str();
  season::CompetitionOutcome outcome;
  if (round.not_a_folder) {
    outcome.error = *round.not_a_folder;
  } else if (!round.outcome.ranked) {
    outcome.error = FailureReason(round.err.str());
  } else if (!HoldsATrackFile(round.outcome.record)) {
    // --batch evaluates any folder; a round with nothing to rank is a
    // wrong folder in the season file, not a round nobody drove.
    outcome.error = "not a competition: no entry has a readable track file";
  } else {
    outcome.record = std::move(round.outcome.record);
    return outcome;
  }
  err << kProgram << "competition " << competition.folder << " failed: " << outcome.error << '\n';
  return outcome;
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
    err << kProgram << "could not write the season page " << path << '\n';
    return false;
  }
  err << "Season page written to " << path << '\n';
  return true;
}

}  // namespace

int RunSeason(const SeasonOptions& options, std::ostream& out, std::ostream& err) {
  const auto season = season::ReadSeasonFile(options.season_file);
  if (!season) {
    err << kProgram << season.error().Describe() << '\n';
    return kBadUsage;
  }
  std::vector<Round> rounds(season->competitions.size());
  for (size_t i = 0; i < rounds.size(); ++i) {
    const season::SeasonCompetition& competition = season->competitions[i];
    rounds[i].options.base_dir = competition.base_dir;
    rounds[i].options.evaluation_file = competition.evaluation;
    if (!options.export_dir.empty())
      rounds[i].options.export_dir = options.export_dir + RoundPage(i);
    rounds[i].not_a_folder = FolderProblem(competition.base_dir);
  }
  season::RunEach(rounds.size(), [&rounds](size_t i) { RunRound(rounds[i]); });

  bool complete = true;
  std::vector<season::CompetitionOutcome> outcomes;
  for (size_t i = 0; i < rounds.size(); ++i) {
    outcomes.push_back(OutcomeOf(season->competitions[i], rounds[i], err));
    complete &= outcomes.back().record.has_value() && rounds[i].outcome.status == kDone;
  }
  const std::vector<season::DriverStanding> standings = season::ScoreSeason(*season, outcomes);
  if (options.json_file != kStandardOutput && options.csv_file != kStandardOutput)
    out << season::StandingsText(*season, standings);
  if (!options.json_file.empty()) {
    complete &= Deliver(options.json_file,
                        publish::JsonText(season::SeasonJson(*season, outcomes, standings)),
                        "season JSON", out, err);
  }
  if (!options.csv_file.empty())
    complete &=
        Deliver(options.csv_file, season::SeasonCsv(*season, standings), "season CSV", out, err);
  if (!options.export_dir.empty())
    complete &= WriteSeasonPage(options, *season, outcomes, standings, err);
  return complete ? kDone : kNotWritten;
}

}  // namespace hl::batch
