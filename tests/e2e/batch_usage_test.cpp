// Command lines that must be refused, and runs whose results cannot be
// written: the exit status and the message tell the user what went wrong.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

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

// Every file below `folder`, by path, with its bytes.
std::map<std::string, std::string> FilesBelow(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& item : std::filesystem::recursive_directory_iterator(folder)) {
    if (item.is_regular_file()) files[item.path().string()] = ReadText(item.path().string());
  }
  return files;
}

// What a newcomer gets wrong first: each is refused with a message that
// says what to do, and leaves every file where it was, byte for byte (a
// results file that cannot be written leaves the report and chart, made
// before it).
TEST(BatchUsage, NewcomersMistakesWriteNothingAndSayWhy) {
  const SampleSetup sample(TwoEntrants());
  const std::string& base = sample.base;
  const std::string& work = sample.work;
  const std::string anna = base + sample.entries.front().folder;
  sample.dir.WriteFile("work/site/index.html", "<p>the club's own page</p>\n");
  sample.dir.WriteFile("work/notes.txt", "notes\n");
  sample.dir.MakeDir("work/empty");
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string message;
    bool report_written = false;
  };
  const std::vector<Case> cases = {
      {{"--batch", sample.dir.Path()}, 2, "holds no car file; a competition folder holds"},
      {{"batch", anna}, 2, "holds no car file and no entry folder"},
      {{"--batch", work + "empty"}, 2, "holds no car file and no entry folder"},
      {{"--batch", base, "--export", "site"}, 2, "'" + work + "site/' holds files but no"},
      {{"--batch", base, "--json", "out/r.json"},
       1,
       "the folder " + work + "out does not exist",
       true},
      {{"--batch", base, "--pictures", "notes.txt"},
       1,
       "picture folder " + work + "notes.txt/: a file of that name is in the way"},
      {{"--batch", base, "--jsno", "r.json"}, 2, "'--jsno' (did you mean --json?)"},
      {{"batch", base, "--reocrd"}, 2, "'--reocrd' (did you mean --record?)"},
      {{"serve", base, "--state", "st", "--lisen", "x"}, 2, "'--lisen' (did you mean --listen?)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const auto before = FilesBelow(sample.dir.Path());
    const BatchResult result = RunBatch(work, c.args);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.out.empty(), !c.report_written);
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    for (const char* ending : {".txt", ".png"}) {
      EXPECT_EQ(std::filesystem::remove(base + "eichwald" + ending), c.report_written);
    }
    EXPECT_EQ(FilesBelow(sample.dir.Path()), before);
  }
}

}  // namespace
}  // namespace hl::testing
