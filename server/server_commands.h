#pragma once
// `hotlap-eval serve`, `token` and `ledger` on their checked command
// lines (cli/ reads and checks them). Problems are told to `messages`, the
// server's log of requests goes to `log`.

#include <ostream>
#include <string>
#include <vector>

#include "run/diagnostics.h"
#include "run/exit_status.h"
#include "server/server_options.h"

namespace hl::server {

// Serves until SIGINT or SIGTERM, then lets the requests in flight finish.
run::ExitStatus Serve(const ServerOptions& options, run::Diagnostics& messages, std::ostream& log);

struct TokenOptions {
  std::string base_dir;                 // absolute, ends with "/"
  std::string state_dir;                // absolute, ends with "/"
  std::vector<std::string> entries;     // existing entry folders or valid new names
  std::vector<std::string> organisers;  // valid names
};

// Prints "ENTRY TOKEN" on `out` for each entry, then "NAME TOKEN" for each
// organiser, replacing the holder's old token.
run::ExitStatus IssueTokens(const TokenOptions& options, std::ostream& out,
                            run::Diagnostics& messages);

struct LedgerOptions {
  std::string base_dir;   // absolute, ends with "/"
  std::string state_dir;  // absolute, ends with "/"
};

// Prints the ledger on `out` as JSON Lines, oldest first; a server may be
// running on the same state meanwhile.
run::ExitStatus PrintLedger(const LedgerOptions& options, std::ostream& out,
                            run::Diagnostics& messages);

}  // namespace hl::server
