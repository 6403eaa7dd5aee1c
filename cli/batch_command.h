#pragma once
#include <ostream>

#include "run/run_plan.h"
#include "state/output_needs.h"

namespace hl::cli {

// A batch run that does the work `needs` asks for (the command line asks for
// what the options' outputs read, run::NeedsOf), its messages on `err` as
// they come and its results on `out` at the end; returns the exit status.
int RunBatch(const run::RunPlan& plan, const state::OutputNeeds& needs, std::ostream& out,
             std::ostream& err);

}  // namespace hl::cli
