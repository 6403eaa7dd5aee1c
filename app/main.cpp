#include <iostream>

#include "app/batch/batch_mode.h"
#include "app/startup.h"
#include "app/workflow.h"
#include "toolkit/ui/qt/qt_ui.h"

int main(int argc, char** argv) {
  // Command lines are batch runs; they must work without a display, so the
  // GUI toolkit is only started when there are no arguments.
  if (argc > 1) return hl::batch::RunCommandLine(argc, argv, std::cout, std::cerr);

  hl::ui::QtUi ui(argc, argv);
  hl::app::AppState s;
  if (const auto error = hl::app::InitState(s)) {
    std::cerr << *error << '\n';
    return 1;
  }
  hl::app::OpenMainWindow(s, ui);
  hl::app::RunEventLoop(s, ui);
  hl::app::ShutDown(s, ui);
  return 0;
}
