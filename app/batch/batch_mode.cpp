#include "app/batch/batch_mode.h"

#include <span>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "app/batch/messages.h"
#include "app/batch/season_mode.h"
#include "audit/audit.h"
#include "run/competition_run.h"
#include "run/output_needs.h"
#include "run/results_files.h"

namespace hl::batch {
namespace {

std::string WithUnixLineEnds(const std::string& text) {
  std::string result;
  result.reserve(text.size() + 1);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    result += text[i];
  }
  // A terminal prompt should not start behind the last line.
  if (!result.empty() && result.back() != '\n') result += '\n';
  return result;
}

// What the organiser would read off the screen, then the findings and the
// results asked for on standard output.
void PrintResults(const run::EvaluatedCompetition& run, const BatchOptions& options,
                  std::ostream& out) {
  if (options.google) {
    out << WithUnixLineEnds(run.google_text);
  } else if (!run::ResultsReplaceReport(options)) {
    out << WithUnixLineEnds(run.report_text);
  }
  if (options.audit) out << audit::FindingsText(run.record);
  out << run::PrintedResults(run.record, options);
}

}  // namespace

int RunBatch(const BatchOptions& options, const state::OutputNeeds& needs, std::ostream& out,
             std::ostream& err) {
  const run::EvaluatedCompetition run = run::EvaluateCompetition(options, needs, PrintingTo(err));
  if (run.Ranked()) PrintResults(run, options, out);
  return run::ProcessStatus(run.status);
}

int RunCommandLine(int argc, char** argv, std::ostream& out, std::ostream& err) {
  const std::span<char*> all(argv, static_cast<size_t>(argc > 0 ? argc : 0));
  const std::vector<std::string> args(all.begin() + (all.empty() ? 0 : 1), all.end());

  return std::visit(
      [&](auto&& parsed) -> int {
        using Kind = std::decay_t<decltype(parsed)>;
        if constexpr (std::is_same_v<Kind, ShowHelp>) {
          out << UsageText();
          return 0;
        } else if constexpr (std::is_same_v<Kind, ShowVersion>) {
          out << kProgram << " " HOTLAP_VERSION "\n";
          return 0;
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

}  // namespace hl::batch
