#include "run/saved_evaluation.h"

#include <algorithm>

#include "audit/period.h"
#include "evaluation/file_changes.h"
#include "evaluation/fingerprint_writer.h"
#include "evaluation/run_fingerprints.h"

namespace hl::run {
namespace {

Error AtLine(const RunPlan& options, int64_t line, const std::string& what) {
  return {"line " + std::to_string(line) + ": " + what, options.evaluation_file, std::nullopt};
}

// A penalty given twice would be applied once and its reason lost, so the
// file and the command line may not both penalise an entry.
Result<void> AddSavedPenalties(RunPlan& options) {
  for (const evaluation::SavedPenalty& penalty : options.saved.penalties) {
    if (!options.penalties.emplace(penalty.entry, penalty.time).second)
      return Fail(AtLine(options, penalty.line,
                         "'" + penalty.entry + "' also has a --penalty on the command line"));
  }
  return {};
}

Result<void> TakeSavedPeriod(RunPlan& options) {
  const evaluation::EvaluationFile& saved = options.saved;
  if (!saved.period) return {};
  if (options.period)
    return Fail(AtLine(options, saved.period_line, "period is also given by --period"));
  auto period = audit::ParsePeriod(*saved.period);
  if (!period) return Fail(AtLine(options, saved.period_line, "period: " + period.error().what));
  options.period = *period;
  return {};
}

void AddPenaltyReasons(const evaluation::EvaluationFile& saved,
                       record::CompetitionRecord& competition) {
  for (record::EntryRecord& entry : competition.entries) {
    const auto penalty = std::find_if(saved.penalties.begin(), saved.penalties.end(),
                                      [&](const auto& p) { return p.entry == entry.folder; });
    // An entry without a result line was not penalised, so it has no reason.
    if (penalty != saved.penalties.end() && entry.penalty) entry.penalty->reason = penalty->reason;
  }
}

void ReportChanges(const evaluation::Fingerprints& recorded,
                   const evaluation::Fingerprints& current, record::CompetitionRecord& competition,
                   Diagnostics& diagnostics) {
  const evaluation::ChangesByFolder changes = evaluation::CompareFingerprints(recorded, current);
  evaluation::AddChangeFindings(changes, competition);
  for (const auto& [folder, files] : changes) {
    diagnostics.Problem("changed since recorded: " + evaluation::DescribeChanges(files));
  }
}

bool Record(const RunPlan& options, const evaluation::Fingerprints& fingerprints,
            Diagnostics& diagnostics) {
  if (const auto recorded = evaluation::RecordFingerprints(options.evaluation_file, fingerprints);
      !recorded) {
    diagnostics.Problem("fingerprints not recorded: " + recorded.error().Describe());
    return false;
  }
  diagnostics.Note("Fingerprints of " + std::to_string(fingerprints.size()) +
                   " files recorded in " + options.evaluation_file);
  return true;
}

}  // namespace

Result<RunPlan> WithSavedEvaluation(const RunPlan& options) {
  if (options.evaluation_file.empty()) return options;
  RunPlan with = options;
  auto saved =
      evaluation::ReadEvaluationFile(options.evaluation_file, options.base_dir, options.record);
  if (!saved) return Fail(saved.error());
  with.saved = std::move(*saved);
  if (auto added = AddSavedPenalties(with); !added) return Fail(added.error());
  if (auto taken = TakeSavedPeriod(with); !taken) return Fail(taken.error());
  return with;
}

bool FinishSavedEvaluation(const RunPlan& options, record::CompetitionRecord& competition,
                           Diagnostics& diagnostics) {
  if (options.evaluation_file.empty()) return true;
  AddPenaltyReasons(options.saved, competition);
  const evaluation::RunFingerprints current = evaluation::TakeFingerprints(competition);
  for (const std::string& problem : current.not_taken) {
    diagnostics.Problem("no fingerprint of " + problem);
  }
  if (options.saved.fingerprints) {
    ReportChanges(*options.saved.fingerprints, current.files, competition, diagnostics);
  }
  return !options.record || Record(options, current.files, diagnostics);
}

}  // namespace hl::run
