#include "workflow/steps.h"

#include "gamedata/base_folder.h"
#include "gamedata/entry_files.h"
#include "gamedata/stats_panel.h"
#include "results/chart.h"
#include "results/ranking.h"
#include "trackfile/ghost.h"
#include "trackfile/header.h"
#include "trackfile/objects.h"
#include "trackfile/picture.h"

namespace hl::workflow {

namespace {

// Closes every entry's log; in ReportText it also separates the car lines
// from the first entry.
constexpr const char* kSeparatorLine = "---------------------------------------------------";

void StartRun(state::AppState& s, ui::Ui& ui) {
  gamedata::ScanBaseFolder(s, ui);
  s.ReportText = std::string(state::kNewLine) + state::kNewLine + ui.ReadText(state::id::kLogBox) +
                 state::kNewLine + kSeparatorLine + state::kNewLine;
  s.FolderList.ResetPosition();
  s.StepCounter = 1;
  RunEntryPipeline(s, ui);
  ui.SetText(state::id::kStepButton, "Next");
}

void NextEntry(state::AppState& s, ui::Ui& ui) {
  ++s.StepCounter;
  s.ReportText += ui.ReadText(state::id::kLogBox);
  RunEntryPipeline(s, ui);
}

void FinishRun(state::AppState& s, ui::Ui& ui) {
  s.ReportText += ui.ReadText(state::id::kLogBox);
  s.StepCounter = state::kFinished;
  results::RankResults(s, ui);
  results::DrawChart(s, ui);
  ui.SetText(state::id::kStepButton, "End");
  ui.SetText(state::id::kActionButton, "Google");
}

void DiscardPendingEvents(ui::Ui& ui) {
  while (ui.PollEvent() != 0) {
  }
}

}  // namespace

void TakeStep(state::AppState& s, ui::Ui& ui) {
  if (s.StepCounter == 0) {
    StartRun(s, ui);
  } else if (s.StepCounter > 0 && s.StepCounter < s.FolderList.Count()) {
    NextEntry(s, ui);
  } else if (s.StepCounter > 0 && s.StepCounter < state::kFinished) {
    FinishRun(s, ui);
  } else {
    s.QuitRequested = true;
  }
}

void RunEntryPipeline(state::AppState& s, ui::Ui& ui) {
  ui.SetText(state::id::kLogBox, "");
  ui.Pause(50);
  // A press queued while the previous step ran must not start another one.
  DiscardPendingEvents(ui);
  ui.SetEnabled(state::id::kStepButton, false);
  ui.SetText(state::id::kPenaltyField, "6000");

  gamedata::FindEntryFiles(s, ui);
  trackfile::DecodeTrackHeader(s, ui);
  if (!s.TrackFileInvalid && s.Needs.track_pictures) {
    trackfile::DrawTrackPicture(s, ui);
    trackfile::DrawGrid(s, ui);
    trackfile::DrawTrackObjects(s, ui);
    trackfile::DrawGhost(s, ui);
  } else if (!s.TrackFileInvalid) {
    trackfile::TakeTrackBaseName(s);
    trackfile::LogMissingGhost(s, ui);
  }
  gamedata::ShowGameSettings(s, ui);

  ui.AppendLine(state::id::kLogBox, kSeparatorLine);
  ui.SetEnabled(state::id::kStepButton, true);
}

}  // namespace hl::workflow
