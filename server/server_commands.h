#pragma once
// `hotlap-eval serve` and `hotlap-eval token`: argv[0] is the subcommand's
// name. Both return the process exit status (2 for a bad command line).

#include <ostream>

namespace hl::server {

bool IsServerCommand(const char* first_argument);
int RunServerCommand(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace hl::server
