#include "app/workflow.h"

#include "app/clipboard_copy.h"
#include "app/screen_window.h"
#include "results/google_export.h"
#include "workflow/penalty.h"
#include "workflow/steps.h"

namespace hl::app {

void RunEventLoop(state::AppState& s, ui::Ui& ui) {
  while (!HandleEvent(s, ui, ui.WaitEvent())) {
  }
}

bool HandleEvent(state::AppState& s, ui::Ui& ui, int event) {
  if (event == ui::kGadgetEvent) {
    switch (ui.EventSource()) {
      case state::id::kScreenView:
        ShowScreen(s, ui);
        break;
      case state::id::kStepButton:
        workflow::TakeStep(s, ui);
        break;
      case state::id::kActionButton:
        ActionButtonPressed(s, ui);
        break;
      default:
        break;
    }
  }
  return event == ui::kCloseEvent || s.QuitRequested;
}

void ActionButtonPressed(state::AppState& s, ui::Ui& ui) {
  if (s.StepCounter != state::kFinished) {
    workflow::ApplyPenalty(s, ui);
  } else if (s.GoogleText.empty()) {
    results::ExportGoogleChart(s, ui);
    ui.SetText(state::id::kActionButton, "Copy");
  } else {
    CopyResults(s, ui);
  }
}

}  // namespace hl::app
