#include "cli/batch_command.h"

#include <string>

#include "audit/audit.h"
#include "cli/messages.h"
#include "run/competition_run.h"
#include "run/output_needs.h"
#include "run/results_files.h"

namespace hl::cli {
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
void PrintResults(const run::EvaluatedCompetition& run, const run::RunPlan& options,
                  std::ostream& out) {
  if (options.google) {
    out << WithUnixLineEnds(run.google_text);
  } else if (!run::ResultsReplaceReport(options)) {
    out << WithUnixLineEnds(run.report_text);
  }
  if (options.audit) out << audit::FindingsText(run.record);
  out << run::PrintedResults(run.record, options);
}

const char* PrintedWhat(const run::RunPlan& options) {
  if (options.json_file == run::kStandardOutput) return "JSON results";
  if (options.csv_file == run::kStandardOutput) return "CSV results";
  return options.google ? "Google chart parameters" : "report";
}

}  // namespace

int RunBatch(const run::RunPlan& options, const state::OutputNeeds& needs, std::ostream& out,
             std::ostream& err) {
  const run::EvaluatedCompetition run = run::EvaluateCompetition(options, needs, PrintingTo(err));
  if (!run.Ranked()) return run::ProcessStatus(run.status);
  PrintResults(run, options, out);
  // A full disk or a closed pipe shows only when the last bytes are flushed.
  if (out.flush()) return run::ProcessStatus(run.status);
  PrintProblem(err,
               std::string("could not write the ") + PrintedWhat(options) + " to standard output");
  return run::ProcessStatus(run::Worse(run.status, run::ExitStatus::kNotWritten));
}

}  // namespace hl::cli
