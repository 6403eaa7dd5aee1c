#pragma once
// A competition evaluated from its folder to its outputs, as plain steps:
// prepare (the saved evaluation, the picture folder, the state), evaluate
// the entries (the window's workflow step by step on the headless facade,
// so report and chart are those of the window), check the screens, audit,
// reconcile with the saved evaluation, write the results files and the page.

#include <optional>
#include <string>
#include <vector>

#include "record/competition_record.h"
#include "results/left_over_chart.h"
#include "run/diagnostics.h"
#include "run/exit_status.h"
#include "run/run_plan.h"
#include "state/output_needs.h"

namespace hl::run {

struct EvaluatedCompetition {
  ExitStatus status = ExitStatus::kDone;
  // Why the run stopped before its results: a mistake found before the
  // entries were evaluated, or results files that would overwrite the report
  // or chart. nullopt once the results are out.
  std::optional<std::string> stopped;
  record::CompetitionRecord record;
  std::string report_text;  // as written to the report file, lines ended by CR LF
  std::string google_text;  // "" unless asked for and its template was read
  // Each entry's log lines as the report holds them, in folder order.
  std::vector<std::vector<std::string>> entry_logs;
  std::vector<Diagnostic> diagnostics;
  // With RunPlan::tall_chart_later, a chart too tall for the page, which
  // the run did not write.
  std::optional<results::LeftOverChart> left_over_chart;

  bool Ranked() const { return !stopped.has_value(); }
};

// Does the work `needs` asks for; the window's outputs need everything, a
// front end what its outputs read (NeedsOf). `live` hears every message as
// the run adds it.
EvaluatedCompetition EvaluateCompetition(const RunPlan& plan, const state::OutputNeeds& needs,
                                         Diagnostics::Listener live = {});

}  // namespace hl::run
