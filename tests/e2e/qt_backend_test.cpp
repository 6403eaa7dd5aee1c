// The desktop backend must not change a single byte of the report: the same
// sample evaluated through Qt (offscreen) and through the batch run.

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/e2e/batch_runner.h"
#include "toolkit/ui/qt/qt_ui.h"
#include "workflow/startup.h"
#include "workflow/steps.h"

namespace hl::testing {
namespace {

TEST(QtBackend, GivesTheSameReportAsTheBatchRun) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const SampleSetup sample;
  const BatchResult batch = RunBatch(sample.work, {"--batch", sample.base});
  ASSERT_EQ(batch.status, 0) << batch.err;
  ASSERT_TRUE(std::filesystem::remove(sample.base + "eichwald.txt"));

  static int argc = 1;
  static char name[] = "hotlap-eval";
  static char* argv[] = {name, nullptr};
  ui::QtUi ui(argc, argv);
  state::AppState s;
  const WorkingFolder in(sample.work);
  ASSERT_TRUE(workflow::InitState(s).has_value());
  workflow::OpenMainWindow(s, ui);
  ui.PresetFolderChoice(sample.base);
  // One press loads, one per further entry, one ranks; the bound only
  // keeps a broken workflow from spinning.
  for (size_t press = 0; press <= sample.entries.size() + 1 && s.StepCounter != state::kFinished;
       ++press) {
    workflow::TakeStep(s, ui);
  }
  ASSERT_EQ(s.StepCounter, state::kFinished);
  EXPECT_EQ(s.ReportText + "\r\n", WithCrLf(batch.out));
  EXPECT_EQ(ReadText(sample.base + "eichwald.txt"), s.ReportText);
  workflow::ShutDown(s, ui);
}

}  // namespace
}  // namespace hl::testing
