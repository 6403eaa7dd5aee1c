#include "tests/support/test_app.h"

#include <gtest/gtest.h>

#include "app/startup.h"

namespace hl::testing {

TestApp::TestApp() {
  if (const auto started = app::InitState(s); !started) {
    ADD_FAILURE() << "start-up failed: " << started.error().Describe();
    return;
  }
  s.CurrentDir = work.Path();
  app::OpenMainWindow(s, ui);
}

std::vector<std::string> TestApp::LogLines() {
  return SplitCrLf(ui.ReadText(state::id::kLogBox));
}

std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  if (text.empty()) return lines;
  size_t start = 0;
  while (true) {
    const size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      return lines;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
}

}  // namespace hl::testing
