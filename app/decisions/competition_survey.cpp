#include "app/decisions/competition_survey.h"

#include "audit/shared_files.h"
#include "evaluation/run_fingerprints.h"
#include "toolkit/ui/headless_ui.h"
#include "workflow/startup.h"
#include "workflow/steps.h"

namespace hl::decisions {
namespace {

// The record of every entry: the steps up to the ranking, which would write
// the report, and without pictures, which nobody sees here.
record::CompetitionRecord RecordEveryEntry(const std::string& base_dir,
                                           const std::atomic<bool>& stop) {
  state::AppState s;
  ui::HeadlessUi ui;
  if (!workflow::InitState(s)) return {};
  s.Needs = {.screen_pictures = false, .screen_verdicts = false, .track_pictures = false};
  workflow::OpenMainWindow(s, ui);
  ui.SetFolderChoice(base_dir);
  workflow::TakeStep(s, ui);  // "Load"
  while (s.StepCounter < s.FolderList.Count() && !stop) workflow::TakeStep(s, ui);
  record::CompetitionRecord competition = std::move(s.Record);
  workflow::ShutDown(s, ui);
  return competition;
}

}  // namespace

Survey SurveyCompetition(const std::string& base_dir,
                         const std::optional<evaluation::Fingerprints>& recorded,
                         const std::atomic<bool>& stop) {
  record::CompetitionRecord competition = RecordEveryEntry(base_dir, stop);
  audit::AddDuplicateFindings(competition);
  Survey survey;
  if (recorded) {
    const evaluation::RunFingerprints current = evaluation::TakeFingerprints(competition);
    survey.changes = evaluation::CompareFingerprints(*recorded, current.files);
    evaluation::AddChangeFindings(survey.changes, competition);
  }
  for (record::EntryRecord& entry : competition.entries) {
    survey.findings[entry.folder] = std::move(entry.findings);
  }
  return survey;
}

}  // namespace hl::decisions
