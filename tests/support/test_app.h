#pragma once
// A started tool on the headless backend, for tests: the state initialised,
// MainWindow open, CurrentDir set to a fresh temporary folder.

#include <string>
#include <vector>

#include "fuzz/targets/log_lines.h"
#include "state/state.h"
#include "tests/support/temp_dir.h"
#include "toolkit/ui/headless_ui.h"

namespace hl::testing {

struct TestApp {
  TempDir work;  // CurrentDir points here
  state::AppState s;
  ui::HeadlessUi ui;

  TestApp();  // fails the test (ADD_FAILURE) when start-up fails
  // LogBox's text split at CR LF.
  std::vector<std::string> LogLines();
};

using fuzzing::SplitCrLf;

}  // namespace hl::testing
