// hotlap-eval-gui: the evaluation window. Started by hotlap-eval when it is
// run without arguments; a separate program so that batch runs never load
// the GUI toolkit's libraries.

#include <iostream>

#include "app/startup.h"
#include "app/workflow.h"
#include "toolkit/ui/qt/qt_ui.h"

int main(int argc, char** argv) {
  hl::ui::QtUi ui(argc, argv);
  hl::state::AppState s;
  if (const auto started = hl::app::InitState(s); !started) {
    std::cerr << started.error().Describe() << '\n';
    return 1;
  }
  hl::app::OpenMainWindow(s, ui);
  hl::app::RunEventLoop(s, ui);
  hl::app::ShutDown(s, ui);
  return 0;
}
