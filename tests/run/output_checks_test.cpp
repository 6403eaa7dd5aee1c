// A run's outputs checked against its inputs and each other before anything
// is written: what each output reads, and every way two places can be one.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "run/output_checks.h"
#include "run/output_needs.h"
#include "tests/support/temp_dir.h"

namespace hl::run {
namespace {

// A plan with only the given outputs.
RunPlan Plan(const std::string& json, const std::string& csv, const std::string& export_dir,
             const std::string& pictures, bool audit) {
  RunPlan plan;
  plan.json_file = json;
  plan.csv_file = csv;
  plan.export_dir = export_dir;
  plan.pictures_dir = pictures;
  plan.audit = audit;
  return plan;
}

TEST(NeedsOf, EachOutputReadsOnlyWhatItShows) {
  struct Case {
    const char* name;
    RunPlan plan;
    bool verdicts, track_pictures, findings;
  };
  const Case cases[] = {
      {"report and chart only", Plan("", "", "", "", false), false, false, false},
      {"json to standard output", Plan(kStandardOutput, "", "", "", false), true, false, true},
      {"csv", Plan("", "/out/r.csv", "", "", false), true, false, false},
      {"audit", Plan("", "", "", "", true), true, false, true},
      {"pictures", Plan("", "", "", "/out/pics/", false), false, true, false},
      {"export", Plan("", "", "/out/page/", "", false), true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const state::OutputNeeds needs = NeedsOf(c.plan);
    EXPECT_FALSE(needs.screen_pictures);
    EXPECT_EQ(needs.screen_verdicts, c.verdicts);
    EXPECT_EQ(needs.track_pictures, c.track_pictures);
    EXPECT_EQ(needs.findings, c.findings);
  }
}

// A competition of two entries beside a folder for outputs, and links
// from there into it.
class OutputClashes : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.WriteFile("base/REF.CAR", "car");
    dir.WriteFile("base/alice/alice.trk", "track");
    dir.WriteFile("base/alice/alice.jpg", "screen");
    dir.WriteFile("base/bob/bob.trk", "track");
    dir.WriteFile("base/evaluation.toml", "");
    dir.MakeDir("out/page/entries");
    std::filesystem::create_symlink(At("base/alice/alice.trk"), At("out/track-link.json"));
    std::filesystem::create_directory_symlink(At("base"), At("out/base-link"));
  }

  std::string At(const std::string& relative) const {
    return relative.empty() || relative == kStandardOutput ? relative : dir.Path() + relative;
  }

  testing::TempDir dir;
};

TEST_F(OutputClashes, AnOutputThatIsAnInputOrAnotherOutputIsNamed) {
  struct Case {
    const char* name;
    const char* json = "";
    const char* csv = "";
    const char* export_dir = "";
    const char* pictures = "";
    bool record = false;
    const char* clash = nullptr;  // a part of the message; nullptr: none
  };
  const Case cases[] = {
      {.name = "every output a place of its own",
       .json = "out/r.json",
       .csv = "out/r.csv",
       .export_dir = "out/site/",
       .pictures = "out/pics/",
       .record = true},
      {.name = "standard output", .json = "-", .csv = "-"},
      {.name = "an entry file",
       .json = "base/alice/alice.jpg",
       .clash = "--json '{}base/alice/alice.jpg' would overwrite the entry file "
                "'{}base/alice/alice.jpg'; nothing was written"},
      {.name = "the car file through a linked folder",
       .csv = "out/base-link/REF.CAR",
       .clash = "would overwrite the car file '{}base/REF.CAR'"},
      {.name = "an entry file through a link",
       .json = "out/track-link.json",
       .clash = "would overwrite the entry file '{}base/alice/alice.trk'"},
      {.name = "the evaluation read",
       .json = "base/evaluation.toml",
       .clash = "--json '{}base/evaluation.toml' would overwrite --evaluation"},
      {.name = "the evaluation recorded",
       .csv = "base/evaluation.toml",
       .record = true,
       .clash = "--csv '{}base/evaluation.toml' would overwrite --evaluation"},
      {.name = "two outputs, spelled apart",
       .json = "out/r.txt",
       .csv = "out/page/../r.txt",
       .clash = "--csv '{}out/page/../r.txt' would overwrite --json '{}out/r.txt'"},
      {.name = "a results file the export writes",
       .json = "out/page/results.json",
       .export_dir = "out/page/",
       .clash = "--export '{}out/page/results.json' would overwrite --json"},
      {.name = "a results file among the exported entries",
       .json = "out/page/entries/r.json",
       .export_dir = "out/page/",
       .clash = "--json '{}out/page/entries/r.json' is inside '{}out/page/entries', which "
                "--export fills"},
      {.name = "export inside the competition",
       .export_dir = "base/page/",
       .clash = "--export '{}base/page/' is inside the competition folder '{}base/'"},
      {.name = "export inside the competition through a link",
       .export_dir = "out/base-link/page/",
       .clash = "--export '{}out/base-link/page/' is inside the competition folder"},
      {.name = "pictures into an entry",
       .pictures = "base/bob/",
       .clash = "--pictures '{}base/bob/'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunPlan plan = Plan(At(c.json), At(c.csv), At(c.export_dir), At(c.pictures), false);
    plan.base_dir = At("base/");
    plan.evaluation_file = At("base/evaluation.toml");
    plan.record = c.record;
    const std::optional<std::string> clash = OutputClash(plan);
    if (c.clash == nullptr) {
      EXPECT_EQ(clash, std::nullopt);
      continue;
    }
    std::string expected = c.clash;
    for (size_t at; (at = expected.find("{}")) != std::string::npos;)
      expected.replace(at, 2, dir.Path());
    ASSERT_TRUE(clash);
    EXPECT_NE(clash->find(expected), std::string::npos) << *clash;
  }
}

TEST_F(OutputClashes, NoResultsFileOverwritesTheReportOrChart) {
  const WrittenReport report{At("base/"), "Monza"};
  struct Case {
    const char* name;
    const char* json = "";
    const char* csv = "";
    bool record = false;
    const char* evaluation = "";
    const char* clash = nullptr;
  };
  const Case cases[] = {
      {.name = "elsewhere", .json = "out/r.json", .csv = "out/r.csv"},
      {.name = "the evaluation read may be named so", .evaluation = "base/Monza.txt"},
      {.name = "json",
       .json = "base/Monza.txt",
       .clash = "--json '{}base/Monza.txt' would "
                "overwrite the report '{}base/Monza.txt'"},
      {.name = "csv through a link", .csv = "out/base-link/Monza.png", .clash = "the chart"},
      {.name = "recorded evaluation",
       .record = true,
       .evaluation = "base/Monza.txt",
       .clash = "--evaluation '{}base/Monza.txt' would overwrite the report"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunPlan plan = Plan(At(c.json), At(c.csv), "", "", false);
    plan.base_dir = At("base/");
    plan.evaluation_file = At(c.evaluation);
    plan.record = c.record;
    const std::optional<std::string> clash = ReportClash(plan, report);
    if (c.clash == nullptr) {
      EXPECT_EQ(clash, std::nullopt);
      continue;
    }
    std::string expected = std::string(c.clash);
    for (size_t at; (at = expected.find("{}")) != std::string::npos;)
      expected.replace(at, 2, dir.Path());
    ASSERT_TRUE(clash);
    EXPECT_NE(clash->find(expected), std::string::npos) << *clash;
    EXPECT_TRUE(clash->ends_with("; the results were not written")) << *clash;
  }
}

}  // namespace
}  // namespace hl::run
