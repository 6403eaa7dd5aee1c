#include "app/decisions/window_loop.h"

#include "app/workflow.h"

namespace hl::decisions {

bool HandleWindowEvent(state::AppState& s, ui::Ui& ui, Decisions& decisions, int event) {
  const int32_t step_before = s.StepCounter;
  if (event == ui::kGadgetEvent && ui.EventSource() == state::id::kActionButton &&
      s.StepCounter != state::kFinished) {
    decisions.Strafe(s, ui);
    return false;
  }
  const bool leave = app::HandleEvent(s, ui, event);
  if (s.StepCounter != step_before) decisions.StepTaken(s, ui, step_before);
  return leave;
}

void RunWindowLoop(state::AppState& s, ui::Ui& ui, Decisions& decisions,
                   const std::function<void()>& changed) {
  while (true) {
    const bool leave = HandleWindowEvent(s, ui, decisions, ui.WaitEvent());
    changed();
    if (leave) return;
  }
}

}  // namespace hl::decisions
