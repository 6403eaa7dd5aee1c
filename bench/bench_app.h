#pragma once
// A started tool on the headless backend with the benchmark competition
// loaded, and the ways the benchmarks put it into the state a stage expects.

#include <string>

#include "state/state.h"
#include "toolkit/ui/headless_ui.h"

namespace hl::bench {

struct BenchApp {
  state::AppState s;
  ui::HeadlessUi ui;

  // Start-up and "Load" of the benchmark competition; ends the process when
  // either fails, since no figure would mean anything then.
  BenchApp();

  // Entry `index` (from 0) found and its track file decoded, as the pipeline
  // leaves it before the drawing steps.
  void OpenEntry(int index);
  // The pipeline run for every entry in turn; returns ReportText as the
  // ranking receives it.
  std::string EvaluateAllEntries();
  int EntryCount() const;
};

// The first entry of the benchmark competition: track with a timed lap and
// a ghost, game file and a JPEG screen, so every stage does its full work.
inline constexpr int kFullEntry = 0;

}  // namespace hl::bench
