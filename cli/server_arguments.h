#pragma once
// The subcommands serve, token, ledger, finalize and verify-final as CLI11 reads them: one line per
// option.

#include <CLI/CLI.hpp>

#include "cli/arguments.h"

namespace hl::cli {

// Each adds its subcommand to `app`, reading into `given`, which must
// outlive the parsing.
CLI::App* AddServeCommand(CLI::App& app, GivenServe& given);
CLI::App* AddTokenCommand(CLI::App& app, GivenToken& given);
CLI::App* AddLedgerCommand(CLI::App& app, GivenLedger& given);
CLI::App* AddFinalizeCommand(CLI::App& app, GivenFinalize& given);
CLI::App* AddVerifyFinalCommand(CLI::App& app, GivenVerifyFinal& given);

}  // namespace hl::cli
