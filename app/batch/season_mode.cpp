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
#include "app/batch/output_checks.h"
#include "app/batch/results_files.h"
#include "app/batch/season_round_page.h"
#include "publish/results_json.h"
#include "season/parallel_run.h"
#include "season/season_file.h"
#include "season/season_outputs.h"
#include "season/standings.h"
#include "toolkit/files/file_identity.h"
#include "toolkit/files/file_slots.h"
#include "toolkit/files/link_target.h"

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
  if (const auto found = files::IdentityOf(folder); !found)
    return "the folder" + files::AsClause(found.error().what);
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return "not a folder";
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

std::vector<WrittenReport> WrittenReports(const std::vector<season::CompetitionOutcome>& outcomes) {
  std::vector<WrittenReport> reports;
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
    if (const auto made = files::MakeFoldersWithoutLinks(export_dir, SeasonRoundPage(i)); !made) {
      err << kProgram << made.error().Describe() << '\n';
      return false;
    }
  }
  return true;
}

bool WriteSeasonPage(const SeasonOptions& options, const season::Season& season,
                     const std::vector<season::CompetitionOutcome>& outcomes,
                     const std::vector<season::DriverStanding>& standings, std::ostream& err) {
  std::vector<std::string> links;
  for (size_t i = 0; i < outcomes.size(); ++i)
    links.push_back(outcomes[i].record ? SeasonRoundPage(i) + "index.html" : "");
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
  if (const auto clash = SeasonOutputClash(options, *season)) {
    err << kProgram << *clash << '\n';
    return kBadUsage;
  }
  std::vector<Round> rounds(season->competitions.size());
  if (!options.export_dir.empty() && !MakeRoundPageFolders(options.export_dir, rounds.size(), err))
    return kNotWritten;
  for (size_t i = 0; i < rounds.size(); ++i) {
    const season::SeasonCompetition& competition = season->competitions[i];
    rounds[i].options.base_dir = competition.base_dir;
    rounds[i].options.evaluation_file = competition.evaluation;
    rounds[i].options.season_round = true;
    if (!options.export_dir.empty())
      rounds[i].options.export_dir = options.export_dir + SeasonRoundPage(i);
    rounds[i].not_a_folder = FolderProblem(competition.base_dir);
  }
  season::RunEach(rounds.size(), [&rounds](size_t i) { RunRound(rounds[i]); });

  bool complete = true;
  std::vector<season::CompetitionOutcome> outcomes;
  for (size_t i = 0; i < rounds.size(); ++i) {
    outcomes.push_back(OutcomeOf(season->competitions[i], rounds[i], err));
    complete &= outcomes.back().record.has_value() && rounds[i].outcome.status == kDone;
  }
  if (const auto clash = SeasonReportClash(options, WrittenReports(outcomes))) {
    err << kProgram << *clash << '\n';
    return kBadUsage;
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
