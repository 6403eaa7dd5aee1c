// Started from a terminal without a display, both programs must say in one
// line what is wrong and what to use instead, rather than let Qt abort.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

struct Outcome {
  int status = -1;
  std::string output;  // standard output and error together
};

Outcome RunWithoutDisplay(const std::string& program) {
  Outcome outcome;
  const std::string command =
      "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + program + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return outcome;
  char buffer[256];
  while (fgets(buffer, sizeof buffer, pipe) != nullptr) outcome.output += buffer;
  const int status = pclose(pipe);
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}

TEST(NoDisplay, BothProgramsPointToTheBatchModeInOneLine) {
  for (const char* name : {"hotlap-eval", "hotlap-eval-gui"}) {
    SCOPED_TRACE(name);
    const std::string program = std::string(HOTLAP_BINARY_DIR) + "/app/" + name;
    if (!std::filesystem::exists(program)) GTEST_SKIP() << program << " is not built";
    const Outcome outcome = RunWithoutDisplay(program);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.output.find('\n'), outcome.output.size() - 1) << outcome.output;
    EXPECT_NE(outcome.output.find("needs a display"), std::string::npos) << outcome.output;
    EXPECT_NE(outcome.output.find("--batch"), std::string::npos) << outcome.output;
  }
}

}  // namespace
