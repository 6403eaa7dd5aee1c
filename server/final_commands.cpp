#include <ctime>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "server/closing_rules.h"
#include "server/final_revision.h"
#include "server/server_commands.h"
#include "server/state_lock.h"

namespace hl::server {

using run::ExitStatus;

ExitStatus Finalize(const FinalizeOptions& options, std::ostream& out, run::Diagnostics& messages) {
  StateFolders folders(options.base_dir, options.state_dir);
  if (auto prepared = folders.Prepare(); !prepared) {
    messages.Problem(prepared.error().Describe());
    return ExitStatus::kBadUsage;
  }
  auto lock = StateLock::Take(options.base_dir, options.state_dir);
  if (!lock) {
    messages.Problem(lock.error().Describe() +
                     "; while it runs, publish through its POST /review/api/final");
    return ExitStatus::kBadUsage;
  }
  std::ostringstream rules_problems;
  ClosingRules rules(options.evaluation_file, options.base_dir, std::nullopt, rules_problems);
  // Without a closing time no upload can come while no server runs.
  if (const auto closes = rules.Now().closes; closes && std::time(nullptr) < closes->utc_seconds) {
    messages.Problem("final results are published once uploads are closed (" +
                     evaluation::CompetitionText(*closes) + ")");
    return ExitStatus::kBadUsage;
  }
  auto store = VersionStore::Open(folders.Database());
  if (!store) {
    messages.Problem(store.error().Describe());
    return ExitStatus::kNotWritten;
  }
  const auto published =
      PublishRevision(folders, rules.FileForRuns(), **store, "command line", options.reason);
  if (!published) {
    messages.Problem(published.error().Describe());
    return ExitStatus::kNotWritten;
  }
  out << RevisionFolder(folders, published->number) << '\n';
  return ExitStatus::kDone;
}

ExitStatus VerifyFinal(const VerifyFinalOptions& options, std::ostream& out,
                       run::Diagnostics& messages) {
  const StateFolders folders(options.base_dir, options.state_dir);
  const auto numbers = RevisionNumbers(folders);
  const int64_t number = options.revision.value_or(numbers.empty() ? 0 : numbers.back());
  if (std::find(numbers.begin(), numbers.end(), number) == numbers.end()) {
    messages.Problem(numbers.empty() ? "no final revision is published in " + options.state_dir
                                     : "there is no final revision " + std::to_string(number));
    return ExitStatus::kBadUsage;
  }
  const auto differences = RevisionDifferences(folders, number, true);
  if (!differences) {
    messages.Problem(differences.error().Describe());
    return ExitStatus::kNotWritten;
  }
  for (const std::string& difference : *differences) out << difference << '\n';
  if (!differences->empty()) return ExitStatus::kNotWritten;
  out << "final revision " << number << " matches its manifest and " << options.base_dir << '\n';
  return ExitStatus::kDone;
}

}  // namespace hl::server
