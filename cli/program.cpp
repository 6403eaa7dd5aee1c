#include "cli/program.h"

#include <algorithm>
#include <span>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "cli/batch_command.h"
#include "cli/command_line.h"
#include "cli/messages.h"
#include "cli/season_command.h"
#include "run/exit_status.h"
#include "run/output_checks.h"
#include "run/output_needs.h"
#include "server/server_commands.h"

namespace hl::cli {
namespace {

int RunServe(const server::ServerOptions& options, std::ostream& err) {
  run::Diagnostics messages(PrintingTo(err));
  return run::ProcessStatus(server::Serve(options, messages, err));
}

int RunToken(const server::TokenOptions& options, std::ostream& out, std::ostream& err) {
  run::Diagnostics messages(PrintingTo(err));
  return run::ProcessStatus(server::IssueTokens(options, out, messages));
}

int RunLedger(const server::LedgerOptions& options, std::ostream& out, std::ostream& err) {
  run::Diagnostics messages(PrintingTo(err));
  return run::ProcessStatus(server::PrintLedger(options, out, messages));
}

int RunFinalize(const server::FinalizeOptions& options, std::ostream& out, std::ostream& err) {
  run::Diagnostics messages(PrintingTo(err));
  return run::ProcessStatus(server::Finalize(options, out, messages));
}

int RunVerifyFinal(const server::VerifyFinalOptions& options, std::ostream& out,
                   std::ostream& err) {
  run::Diagnostics messages(PrintingTo(err));
  return run::ProcessStatus(server::VerifyFinal(options, out, messages));
}

std::string HelpHint(const UsageError& error) {
  const std::string command = error.command.empty() ? "" : " " + error.command;
  return " (see " + std::string(kProgram) + command + " --help)";
}

}  // namespace

int RunCommandLine(int argc, char** argv, std::ostream& out, std::ostream& err) {
  const std::span<char*> all(argv, static_cast<size_t>(argc > 0 ? argc : 0));
  const std::vector<std::string> args(all.begin() + (all.empty() ? 0 : 1), all.end());

  const int status = std::visit(
      [&](auto&& parsed) -> int {
        using Kind = std::decay_t<decltype(parsed)>;
        if constexpr (std::is_same_v<Kind, ShowHelp>) {
          out << parsed.text;
          return run::ProcessStatus(run::ExitStatus::kDone);
        } else if constexpr (std::is_same_v<Kind, ShowVersion>) {
          out << kProgram << " " HOTLAP_VERSION "\n";
          return run::ProcessStatus(run::ExitStatus::kDone);
        } else if constexpr (std::is_same_v<Kind, UsageError>) {
          PrintProblem(err, parsed.message + HelpHint(parsed));
          return run::ProcessStatus(run::ExitStatus::kBadUsage);
        } else if constexpr (std::is_same_v<Kind, SeasonOptions>) {
          return RunSeason(parsed, out, err);
        } else if constexpr (std::is_same_v<Kind, server::ServerOptions>) {
          return RunServe(parsed, err);
        } else if constexpr (std::is_same_v<Kind, server::TokenOptions>) {
          return RunToken(parsed, out, err);
        } else if constexpr (std::is_same_v<Kind, server::LedgerOptions>) {
          return RunLedger(parsed, out, err);
        } else if constexpr (std::is_same_v<Kind, server::FinalizeOptions>) {
          return RunFinalize(parsed, out, err);
        } else if constexpr (std::is_same_v<Kind, server::VerifyFinalOptions>) {
          return RunVerifyFinal(parsed, out, err);
        } else {
          if (const auto clash = run::OutputClash(parsed)) {
            PrintProblem(err, *clash);
            return run::ProcessStatus(run::ExitStatus::kBadUsage);
          }
          return RunBatch(parsed, run::NeedsOf(parsed), out, err);
        }
      },
      ParseCommandLine(args));
  // A full disk or a closed pipe shows only when the last bytes are flushed;
  // a command that failed has said why already.
  if (out.flush() || status != 0) return status;
  PrintProblem(err, "could not write to standard output");
  return std::max(status, run::ProcessStatus(run::ExitStatus::kNotWritten));
}

}  // namespace hl::cli
