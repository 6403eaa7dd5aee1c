#pragma once
#include "run/run_plan.h"
#include "state/output_needs.h"

namespace hl::run {

// What a batch run's outputs read. The report, chart, Google text and the
// results files come from the log and the record alone; pixels are drawn
// only for the outputs that hold pictures.
state::OutputNeeds NeedsOf(const RunPlan& options);

}  // namespace hl::run
