#include "cli/program.h"

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
#include "run/output_needs.h"

namespace hl::cli {

int RunCommandLine(int argc, char** argv, std::ostream& out, std::ostream& err) {
  const std::span<char*> all(argv, static_cast<size_t>(argc > 0 ? argc : 0));
  const std::vector<std::string> args(all.begin() + (all.empty() ? 0 : 1), all.end());

  return std::visit(
      [&](auto&& parsed) -> int {
        using Kind = std::decay_t<decltype(parsed)>;
        if constexpr (std::is_same_v<Kind, ShowHelp>) {
          out << UsageText();
          return run::ProcessStatus(run::ExitStatus::kDone);
        } else if constexpr (std::is_same_v<Kind, ShowVersion>) {
          out << kProgram << " " HOTLAP_VERSION "\n";
          return run::ProcessStatus(run::ExitStatus::kDone);
        } else if constexpr (std::is_same_v<Kind, UsageError>) {
          PrintProblem(err, parsed.message + " (see " + std::string(kProgram) + " --help)");
          return run::ProcessStatus(run::ExitStatus::kBadUsage);
        } else if constexpr (std::is_same_v<Kind, SeasonOptions>) {
          return RunSeason(parsed, out, err);
        } else {
          return RunBatch(parsed, run::NeedsOf(parsed), out, err);
        }
      },
      ParseCommandLine(args));
}

}  // namespace hl::cli
