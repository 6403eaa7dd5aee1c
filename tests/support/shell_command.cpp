#include "tests/support/shell_command.h"

#include <sys/wait.h>

#include <cstdio>

namespace hl::testing {

CommandOutcome RunShellCommand(const std::string& command) {
  CommandOutcome outcome;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return outcome;
  char buffer[256];
  while (fgets(buffer, sizeof buffer, pipe) != nullptr) outcome.output += buffer;
  const int status = pclose(pipe);
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}

}  // namespace hl::testing
