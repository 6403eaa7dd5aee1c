#pragma once
#include <ostream>

#include "app/batch/command_line.h"

namespace hl::batch {

// hotlap-eval --season FILE: evaluates the season's competitions in
// parallel, each exactly as --batch would, and prints or writes the
// standings. Exit status 0 done, 1 a competition failed or something could
// not be written, 2 the season file is wrong.
int RunSeason(const SeasonOptions& options, std::ostream& out, std::ostream& err);

}  // namespace hl::batch
