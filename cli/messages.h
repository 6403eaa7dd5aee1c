#pragma once
// How the command line shows what a run tells: each message on a line of
// its own, a problem after the program's name.

#include <ostream>
#include <string_view>

#include "run/diagnostics.h"

namespace hl::cli {

inline constexpr std::string_view kProgram = "hotlap-eval";

// "hotlap-eval: " + `text` + line break.
void PrintProblem(std::ostream& err, std::string_view text);
void Print(std::ostream& err, const run::Diagnostic& diagnostic);
// Prints each message as the run adds it.
run::Diagnostics::Listener PrintingTo(std::ostream& err);

}  // namespace hl::cli
