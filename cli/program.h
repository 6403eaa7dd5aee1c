#pragma once
#include <ostream>

namespace hl::cli {

// The command line of hotlap-eval when it has arguments (--batch, --season,
// their subcommands, serve, token, --help, --version); returns the process
// exit status.
// Never starts the GUI toolkit.
int RunCommandLine(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace hl::cli
