#pragma once
// `hotlap-eval serve`, `token` and `ledger` on their checked command
// lines (cli/ reads and checks them). Problems are told to `messages`, the
// server's log of requests goes to `log`.

#include <cstdint>
#include <optional>
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

struct FinalizeOptions {
  std::string base_dir;         // absolute, ends with "/"
  std::string state_dir;        // absolute, ends with "/"
  std::string evaluation_file;  // absolute, or "" for none
  std::string reason;           // checked by FinalReasonProblem
};

// Publishes the next final revision while no server runs on the state (a
// running server publishes through its own review API, so one process
// writes the state's revisions); prints "final/N/" on `out`.
run::ExitStatus Finalize(const FinalizeOptions& options, std::ostream& out,
                         run::Diagnostics& messages);

struct VerifyFinalOptions {
  std::string base_dir;             // absolute, ends with "/"
  std::string state_dir;            // absolute, ends with "/"
  std::optional<int64_t> revision;  // the latest when not given
};

// kDone when revision N matches its manifest and the base folder matches
// its inputs; kNotWritten naming each file that differs.
run::ExitStatus VerifyFinal(const VerifyFinalOptions& options, std::ostream& out,
                            run::Diagnostics& messages);

}  // namespace hl::server
