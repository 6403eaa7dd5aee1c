#include "tests/support/test_app.h"

#include <gtest/gtest.h>

#include "workflow/startup.h"

namespace hl::testing {

TestApp::TestApp() {
  if (const auto started = workflow::InitState(s); !started) {
    ADD_FAILURE() << "start-up failed: " << started.error().Describe();
    return;
  }
  s.CurrentDir = work.Path();
  workflow::OpenMainWindow(s, ui);
}

std::vector<std::string> TestApp::LogLines() { return SplitCrLf(ui.ReadText(state::id::kLogBox)); }

}  // namespace hl::testing
