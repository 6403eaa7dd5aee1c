#pragma once
// The message about an option a command does not know, with a near miss
// among its own options: "--jsno" is most likely "--json".

#include <CLI/CLI.hpp>

#include <string>

namespace hl::cli {

// "unknown option '--jsno' (did you mean --json?)": `typed` as given (a
// value after "=" left off), with the one of `command`'s long options it
// is a typing mistake or two away from (a letter left out, added, changed,
// or two swapped), when there is one.
std::string UnknownOption(const CLI::App& command, const std::string& typed);

}  // namespace hl::cli
