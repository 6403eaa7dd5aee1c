#pragma once
#include "app/batch/command_line.h"
#include "state/output_needs.h"

namespace hl::batch {

// What a batch run's outputs read. The report, chart, Google text and the
// results files come from the log and the record alone; pixels are drawn
// only for the outputs that hold pictures.
state::OutputNeeds NeedsOf(const BatchOptions& options);

}  // namespace hl::batch
