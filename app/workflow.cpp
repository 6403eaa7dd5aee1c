#include "app/workflow.h"

#include "app/clipboard_copy.h"
#include "app/penalty.h"
#include "app/screen_window.h"
#include "gamedata/base_folder.h"
#include "gamedata/entry_files.h"
#include "gamedata/stats_panel.h"
#include "results/chart.h"
#include "results/google_export.h"
#include "results/ranking.h"
#include "trackfile/ghost.h"
#include "trackfile/header.h"
#include "trackfile/objects.h"
#include "trackfile/picture.h"

namespace hl::app {

namespace {

// Closes every entry's log; in ReportText it also separates the car lines
// from the first entry.
constexpr const char* kSeparatorLine = "---------------------------------------------------";

void StartRun(AppState& s, ui::Ui& ui) {
  gamedata::ScanBaseFolder(s, ui);
  s.ReportText = std::string(kNewLine) + kNewLine + ui.ReadText(id::kLogBox) + kNewLine +
                 kSeparatorLine + kNewLine;
  s.FolderList.ResetPosition();
  s.StepCounter = 1;
  RunEntryPipeline(s, ui);
  ui.SetText(id::kStepButton, "Next");
}

void NextEntry(AppState& s, ui::Ui& ui) {
  ++s.StepCounter;
  s.ReportText += ui.ReadText(id::kLogBox);
  RunEntryPipeline(s, ui);
}

void FinishRun(AppState& s, ui::Ui& ui) {
  s.ReportText += ui.ReadText(id::kLogBox);
  s.StepCounter = kFinished;
  results::RankResults(s, ui);
  results::DrawChart(s, ui);
  ui.SetText(id::kStepButton, "End");
  ui.SetText(id::kActionButton, "Google");
}

void DiscardPendingEvents(ui::Ui& ui) {
  while (ui.PollEvent() != 0) {
  }
}

}  // namespace

void RunEventLoop(AppState& s, ui::Ui& ui) {
  while (true) {
    const int event = ui.WaitEvent();
    if (event == ui::kGadgetEvent) {
      switch (ui.EventSource()) {
        case id::kScreenView:
          ShowScreen(s, ui);
          break;
        case id::kStepButton:
          StepButtonPressed(s, ui);
          break;
        case id::kActionButton:
          ActionButtonPressed(s, ui);
          break;
        default:
          break;
      }
    }
    if (event == ui::kCloseEvent || s.QuitRequested) return;
  }
}

void StepButtonPressed(AppState& s, ui::Ui& ui) {
  if (s.StepCounter == 0) {
    StartRun(s, ui);
  } else if (s.StepCounter > 0 && s.StepCounter < s.FolderList.Count()) {
    NextEntry(s, ui);
  } else if (s.StepCounter > 0 && s.StepCounter < kFinished) {
    FinishRun(s, ui);
  } else {
    s.QuitRequested = true;
  }
}

void ActionButtonPressed(AppState& s, ui::Ui& ui) {
  if (s.StepCounter != kFinished) {
    ApplyPenalty(s, ui);
  } else if (s.GoogleText.empty()) {
    results::ExportGoogleChart(s, ui);
    ui.SetText(id::kActionButton, "Copy");
  } else {
    CopyResults(s, ui);
  }
}

void RunEntryPipeline(AppState& s, ui::Ui& ui) {
  ui.SetText(id::kLogBox, "");
  ui.Pause(50);
  // A press queued while the previous step ran must not start another one.
  DiscardPendingEvents(ui);
  ui.SetEnabled(id::kStepButton, false);
  ui.SetText(id::kPenaltyField, "6000");

  gamedata::FindEntryFiles(s, ui);
  trackfile::DecodeTrackHeader(s, ui);
  if (!s.TrackFileInvalid) {
    trackfile::DrawTrackPicture(s, ui);
    trackfile::DrawGrid(s, ui);
    trackfile::DrawTrackObjects(s, ui);
    trackfile::DrawGhost(s, ui);
  }
  gamedata::ShowGameSettings(s, ui);

  ui.AppendLine(id::kLogBox, kSeparatorLine);
  ui.SetEnabled(id::kStepButton, true);
}

}  // namespace hl::app
