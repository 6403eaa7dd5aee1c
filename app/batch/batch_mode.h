#pragma once
#include <ostream>

#include "app/batch/command_line.h"
#include "record/competition_record.h"
#include "state/output_needs.h"

namespace hl::batch {

// The command line of hotlap-eval when it has arguments (--batch, --help,
// --version); returns the process exit status. Never starts the GUI toolkit.
int RunCommandLine(int argc, char** argv, std::ostream& out, std::ostream& err);

// A batch run that does the work `needs` asks for; RunCommandLine asks for
// what the options' outputs read (NeedsOf), the window for everything.
int RunBatch(const BatchOptions& options, const state::OutputNeeds& needs, std::ostream& out,
             std::ostream& err);

// RunBatch that also hands back the record: a season scores it. `ranked`
// tells whether the run got as far as the ranking.
struct BatchOutcome {
  int status = 0;
  bool ranked = false;
  record::CompetitionRecord record;
};
BatchOutcome RunCompetition(const BatchOptions& options, const state::OutputNeeds& needs,
                            std::ostream& out, std::ostream& err);

}  // namespace hl::batch
