#include "bench/bench_app.h"

#include <cstdio>
#include <cstdlib>

#include "bench/bench_competition.h"
#include "gamedata/base_folder.h"
#include "gamedata/entry_files.h"
#include "trackfile/header.h"
#include "workflow/startup.h"
#include "workflow/steps.h"

namespace hl::bench {
namespace {

[[noreturn]] void Fail(const std::string& message) {
  std::fprintf(stderr, "benchmark set-up failed: %s\n", message.c_str());
  std::exit(1);
}

}  // namespace

BenchApp::BenchApp() {
  if (const auto started = workflow::InitState(s); !started) Fail(started.error().Describe());
  workflow::OpenMainWindow(s, ui);
  ui.SetFolderChoice(BenchmarkCompetition());
  gamedata::ScanBaseFolder(s, ui);
  if (s.FolderList.Count() == 0) Fail("no entries in " + BenchmarkCompetition());
}

int BenchApp::EntryCount() const { return static_cast<int>(s.FolderList.Count()); }

void BenchApp::OpenEntry(int index) {
  s.FolderList.ResetPosition();
  for (int i = 0; i < index; ++i) s.FolderList.Next();
  s.StepCounter = index + 1;
  gamedata::FindEntryFiles(s, ui);
  trackfile::DecodeTrackHeader(s, ui);
  if (s.TrackFileInvalid) Fail("entry " + std::to_string(index) + " has no valid track file");
}

std::string BenchApp::EvaluateAllEntries() {
  s.StepCounter = 0;
  workflow::TakeStep(s, ui);  // "Load" shows the first entry
  while (s.StepCounter < s.FolderList.Count()) workflow::TakeStep(s, ui);
  return s.ReportText + ui.ReadText(state::id::kLogBox);
}

}  // namespace hl::bench
