#pragma once
// serve, token, ledger, finalize and verify-final checked in one step before the server starts:
// folders made absolute, the base folder and the entries looked at, the listening address and the
// closing time read. Creates nothing.

#include "cli/arguments.h"
#include "cli/command_line.h"

namespace hl::cli {

ParsedCommandLine CheckServe(const GivenServe& given);
ParsedCommandLine CheckToken(const GivenToken& given);
ParsedCommandLine CheckLedger(const GivenLedger& given);
ParsedCommandLine CheckFinalize(const GivenFinalize& given);
ParsedCommandLine CheckVerifyFinal(const GivenVerifyFinal& given);

}  // namespace hl::cli
