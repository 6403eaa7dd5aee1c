#pragma once
#include <ostream>

#include "cli/command_line.h"

namespace hl::cli {

// hotlap-eval --season FILE: evaluates the season's competitions in
// parallel, each exactly as --batch would, and prints or writes the
// standings. Exit status 0 done, 1 a competition failed or something could
// not be written, 2 the season file is wrong.
int RunSeason(const SeasonOptions& options, std::ostream& out, std::ostream& err);

}  // namespace hl::cli
