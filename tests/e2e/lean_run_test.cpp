// The batch run leaves out the pixels its outputs never read and loads and
// writes pictures on both cores; whatever it writes must be exactly what
// the window's full pipeline produces in its order.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/batch_runner.h"
#include "tests/support/full_and_lean.h"

namespace hl::testing {
namespace {

TEST(LeanBatchRun, WritesWhatTheFullPipelineWrites) {
  const SampleSetup sample;
  const std::string out = sample.dir.MakeDir("out");
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"--google"},
      {"--json", out + "r.json", "--csv", out + "r.csv"},
      {"--json", "-", "--penalty", "hugo=6000", "--penalty", "emil=4000"},
      {"--pictures", out + "pictures", "--google", "--csv", out + "p.csv"},
      {"--export", out + "page", "--audit", "--penalty", "bert=5000"},
  };
  for (const std::vector<std::string>& extra : cases) {
    SCOPED_TRACE(extra.empty() ? "plain" : extra.front());
    std::vector<std::string> args = {"--batch", sample.base};
    args.insert(args.end(), extra.begin(), extra.end());
    ExpectLeanRunMatchesFull(sample.work, args, {sample.base, out});
  }
}

}  // namespace
}  // namespace hl::testing
