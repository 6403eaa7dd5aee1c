#pragma once
#include <ostream>

namespace hl::batch {

// The command line of hotlap-eval when it has arguments (--batch, --help,
// --version); returns the process exit status. Never starts the GUI toolkit.
int RunCommandLine(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace hl::batch
