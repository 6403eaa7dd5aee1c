// Started from a terminal without a display, both programs must say in one
// line what is wrong and what to use instead, rather than let Qt abort.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/shell_command.h"

namespace {

TEST(NoDisplay, BothProgramsPointToTheBatchModeInOneLine) {
  for (const char* name : {"hotlap-eval", "hotlap-eval-gui"}) {
    SCOPED_TRACE(name);
    const std::string program = std::string(HOTLAP_BINARY_DIR) + "/app/" + name;
    if (!std::filesystem::exists(program)) GTEST_SKIP() << program << " is not built";
    const hl::testing::CommandOutcome outcome = hl::testing::RunShellCommand(
        "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + program);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.output.find('\n'), outcome.output.size() - 1) << outcome.output;
    EXPECT_NE(outcome.output.find("needs a display"), std::string::npos) << outcome.output;
    EXPECT_NE(outcome.output.find("--batch"), std::string::npos) << outcome.output;
  }
}

}  // namespace
