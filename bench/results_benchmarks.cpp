// What the press after the last entry does for a full competition: the
// ranking with its report file, and the chart with its PNG file. Also the
// whole evaluation in one process, from start-up to the written results.

#include <benchmark/benchmark.h>

#include <string>

#include "bench/bench_app.h"
#include "bench/bench_competition.h"
#include "results/chart.h"
#include "results/ranking.h"
#include "workflow/startup.h"
#include "workflow/steps.h"

namespace hl::bench {
namespace {

// Separate from the stage benchmarks' tool: the ranking rearranges the
// window, which the entry stages must not see.
struct RankedApp {
  BenchApp app;
  std::string report_before_ranking = app.EvaluateAllEntries();
};

RankedApp& Ranked() {
  static RankedApp ranked;
  return ranked;
}

void BM_RankResults(benchmark::State& state) {
  RankedApp& r = Ranked();
  for (auto _ : state) {
    r.app.s.ReportText = r.report_before_ranking;
    results::RankResults(r.app.s, r.app.ui);
  }
  if (!r.app.s.ReportSaved) state.SkipWithError("the report was not written");
  state.SetLabel(std::to_string(r.app.s.RankingList.Count()) + " entries");
}

void BM_DrawChart(benchmark::State& state) {
  RankedApp& r = Ranked();
  r.app.s.ReportText = r.report_before_ranking;
  results::RankResults(r.app.s, r.app.ui);
  for (auto _ : state) results::DrawChart(r.app.s, r.app.ui);
  if (!r.app.s.ChartSaved) state.SkipWithError("the chart was not written");
  state.SetLabel(std::to_string(r.app.s.RankingList.Count()) + " entries");
}

// A batch run without the process around it: start-up, "Load", every entry,
// ranking and chart.
void BM_WholeCompetition(benchmark::State& state) {
  const std::string& base = BenchmarkCompetition();
  for (auto _ : state) {
    state::AppState s;
    ui::HeadlessUi ui;
    if (!workflow::InitState(s)) {
      state.SkipWithError("start-up failed");
      break;
    }
    workflow::OpenMainWindow(s, ui);
    ui.SetFolderChoice(base);
    while (s.StepCounter != state::kFinished) workflow::TakeStep(s, ui);
    workflow::ShutDown(s, ui);
  }
}

BENCHMARK(BM_RankResults)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawChart)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WholeCompetition)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace hl::bench
