// Command lines that must be refused, and runs whose results cannot be
// written: the exit status and the message tell the user what went wrong.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/e2e/batch_runner.h"

namespace hl::testing {
namespace {

competition::SampleOptions TwoEntrants() {
  competition::SampleOptions options;
  options.entrants = 2;
  options.ghost = 50;
  return options;
}

TEST(BatchUsage, BadCommandLinesAreRefusedBeforeAnythingRuns) {
  const SampleSetup sample(TwoEntrants());
  const std::string& base = sample.base;
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"--batch", base + "missing"}, "does not exist"},
      {{"--batch", base + "reference.car"}, "is not a folder"},
      {{"--batch"}, "--batch needs a value"},
      {{"--google"}, "--batch BASEDIR is missing"},
      {{"--batch", base, "--fast"}, "unknown option '--fast'"},
      {{"--batch", base, "anna"}, "unexpected argument 'anna'"},
      {{"--batch", base, "--batch", base}, "--batch given twice"},
      {{"--batch", base, "--penalty", "anna"}, "ENTRY=TIME"},
      {{"--batch", base, "--penalty", "=6000"}, "ENTRY=TIME"},
      {{"--batch", base, "--penalty", "anna=fast"}, "not a number"},
      {{"--batch", base, "--penalty", "anna="}, "not a number"},
      {{"--batch", base, "--penalty", "anna=123456"}, "not a number"},
      {{"--batch", base, "--penalty", "zora=6000"}, "'zora' is not an entry folder"},
      {{"--batch", base, "--penalty", "reference.car=6000"}, "is not an entry folder"},
      {{"--batch", base, "--penalty", "../competition=6000"}, "is not an entry folder"},
      {{"--batch", base, "--penalty", "anna=6000", "--penalty=anna=5000"}, "more than one penalty"},
      {{"--batch", base, "--pictures", sample.work + "google_charts.txt/pictures"},
       "cannot create the picture folder"},
      {{"--batch", base, "--period", "2004-06-01"}, "'2004-06-01' is not a period FROM..TO"},
      {{"--batch", base, "--period", "2004-6-01..2004-06-30"}, "not a date of the form YYYY-MM-DD"},
      {{"--batch", base, "--period", "2004-13-01..2004-12-31"}, "there is no month 13"},
      {{"--batch", base, "--period", "2004-02-30..2004-03-31"}, "'2004-02-30' is not a date"},
      {{"--batch", base, "--period", "2004-06-30..2004-06-01"},
       "the period starts on 2004-06-30, after its end 2004-06-01"},
      {{"--batch", base, "--audit", "--json", "-"}, "--audit prints after the report"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const BatchResult result = RunBatch(sample.work, c.args);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
  }
  EXPECT_FALSE(std::filesystem::exists(base + "eichwald.txt"));
}

TEST(BatchUsage, HelpAndVersionAnswerOnStandardOutput) {
  const TempDir work;
  const BatchResult help = RunBatch(work.Path(), {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: hotlap-eval", 0), 0u) << help.out;
  EXPECT_NE(help.out.find("--penalty ENTRY=TIME"), std::string::npos);

  const BatchResult version = RunBatch(work.Path(), {"--batch", "nowhere", "--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "hotlap-eval 1.0.0\n");
  EXPECT_EQ(version.err, "");
}

TEST(BatchUsage, ResultsThatCannotBeWrittenFailTheRun) {
  struct Case {
    std::string blocker;  // a folder where the tool wants to write a file
    std::string failure;
    std::string success;
  };
  const std::vector<Case> cases = {
      {"eichwald.txt", "could not write the report", "Chart written to"},
      {"eichwald.png", "could not write the chart", "Report written to"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.blocker);
    const SampleSetup sample(TwoEntrants());
    sample.dir.MakeDir("competition/" + c.blocker);
    const BatchResult result = RunBatch(sample.work, {"--batch", sample.base});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find(c.failure + " " + sample.base + c.blocker), std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find(c.success), std::string::npos) << result.err;
    EXPECT_NE(result.out.find("1 - "), std::string::npos) << "the ranking is still printed";
  }
}

TEST(BatchUsage, EmptyCompetitionFolderStillEndsWithAReport) {
  const TempDir dir;
  const std::string base = dir.MakeDir("empty");
  const BatchResult result = RunBatch(dir.Path(), {"--batch", base});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find("no car!\n"), std::string::npos) << result.out;
  EXPECT_EQ(result.err.find(" / "), std::string::npos) << "no entry to show progress for";
}

}  // namespace
}  // namespace hl::testing
