#pragma once
// Runs a shell command line for the tests that start the built programs.

#include <string>

namespace hl::testing {

struct CommandOutcome {
  int status = -1;     // the exit status; -1 when the command did not exit
  std::string output;  // standard output and error together
};

CommandOutcome RunShellCommand(const std::string& command);

}  // namespace hl::testing
