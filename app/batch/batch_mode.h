#pragma once
#include <ostream>

#include "app/batch/command_line.h"
#include "state/output_needs.h"

namespace hl::batch {

// The command line of hotlap-eval when it has arguments (--batch, --help,
// --version); returns the process exit status. Never starts the GUI toolkit.
int RunCommandLine(int argc, char** argv, std::ostream& out, std::ostream& err);

// A batch run that does the work `needs` asks for, its messages on `err` as
// they come and its results on `out` at the end; returns the exit status.
int RunBatch(const BatchOptions& options, const state::OutputNeeds& needs, std::ostream& out,
             std::ostream& err);

}  // namespace hl::batch
