// Penalties decided in the window, written into the organiser's evaluation
// file: the entry's own lines change, a replaced decision stays as an
// earlier one, every other byte is kept, and a broken file is left alone.

#include "evaluation/decision_writer.h"

#include <gtest/gtest.h>

#include "evaluation/evaluation_file.h"
#include "tests/support/temp_dir.h"

namespace hl::evaluation {
namespace {

const Decision kLate = {
    .time = "5400", .reason = "late \"lap\"", .decided = "2026-12-08T17:30:05Z"};

struct DecisionCase {
  const char* name;
  std::string before;
  std::string entry;
  std::string after;
};

class WritesTheDecision : public ::testing::TestWithParam<DecisionCase> {};

TEST_P(WritesTheDecision, IntoTheText) {
  const auto written = WithDecision(GetParam().before, "cup.toml", GetParam().entry, kLate);
  ASSERT_TRUE(written) << written.error().Describe();
  EXPECT_EQ(*written, GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, WritesTheDecision,
    ::testing::Values(
        DecisionCase{"NewFile", "", "ida",
                     "[[penalty]]\nentry = 'ida'\ntime = 5400\nreason = 'late \"lap\"'\n"
                     "decided = 2026-12-08T17:30:05Z\n"},
        DecisionCase{"NewAfterTheLastPenalty",
                     "# cup\n[[penalty]]\nentry = \"hugo\"\ntime = 6000  # no screen\n\n"
                     "# by --record\n[fingerprints]\n",
                     "ida",
                     "# cup\n[[penalty]]\nentry = \"hugo\"\ntime = 6000  # no screen\n\n"
                     "[[penalty]]\nentry = 'ida'\ntime = 5400\nreason = 'late \"lap\"'\n"
                     "decided = 2026-12-08T17:30:05Z\n\n# by --record\n[fingerprints]\n"},
        DecisionCase{
            "ChangedKeepsTheEarlierDecision",
            "[[penalty]]\r\n# first look\r\nentry = \"ida\"\r\ntime = 6000  # no screen\r\n"
            "reason = \"\"\"two\r\nlines\"\"\"\r\n\r\n[[penalty]]\r\nentry = \"hugo\"\r\n"
            "time = 1\r\n",
            "ida",
            "[[penalty]]\r\n# first look\r\nentry = \"ida\"\r\ntime = 5400  # no screen\r\n"
            "reason = 'late \"lap\"'\r\ndecided = 2026-12-08T17:30:05Z\r\n\r\n"
            "[[penalty.earlier]]\r\ntime = 6000\r\nreason = \'\'\'two\nlines\'\'\'\r\n\r\n"
            "[[penalty]]\r\nentry = \"hugo\"\r\ntime = 1\r\n"},
        DecisionCase{"ChangedAgainAddsBelowTheEarlierOnes",
                     "[[penalty]]\nentry = \"ida\"\ntime = 6000\ndecided = 2026-12-01T08:00:00Z\n"
                     "\n[[penalty.earlier]]\ntime = 100\n",
                     "ida",
                     "[[penalty]]\nentry = \"ida\"\ntime = 5400\ndecided = 2026-12-08T17:30:05Z\n"
                     "reason = 'late \"lap\"'\n\n[[penalty.earlier]]\ntime = 100\n\n"
                     "[[penalty.earlier]]\ntime = 6000\ndecided = 2026-12-01T08:00:00Z\n"},
        DecisionCase{"SamePenaltyChangesNothing",
                     "[[penalty]]\nentry = \"ida\"\ntime = 5400\nreason = 'late \"lap\"'\n", "ida",
                     "[[penalty]]\nentry = \"ida\"\ntime = 5400\nreason = 'late \"lap\"'\n"}),
    [](const auto& info) { return info.param.name; });

// A withdrawal keeps the penalty it takes back as earlier and applies no
// time; a later penalty replaces the withdrawal the same way. `by` names
// who decided each.
const Decision kWithdrawn = {.time = "",
                             .reason = "screen found",
                             .decided = "2026-12-09T08:00:00Z",
                             .by = "kim",
                             .withdrawn = true};
const Decision kAgain = {
    .time = "700", .reason = "cut", .decided = "2026-12-09T09:00:00Z", .by = "jo"};

TEST(WithDecision, WithdrawsAndPenalisesAgainKeepingEachDecision) {
  const std::string penalised =
      "[[penalty]]\nentry = \"ida\"\ntime = 6000  # first look\nreason = \"car\"\nby = \"jo\"\n";
  const auto withdrawn = WithDecision(penalised, "cup.toml", "ida", kWithdrawn);
  ASSERT_TRUE(withdrawn) << withdrawn.error().Describe();
  EXPECT_EQ(*withdrawn,
            "[[penalty]]\nentry = \"ida\"\nreason = 'screen found'\nby = 'kim'\n"
            "withdrawn = true\ndecided = 2026-12-09T08:00:00Z\n\n"
            "[[penalty.earlier]]\ntime = 6000\nreason = 'car'\nby = 'jo'\n");
  const auto again = WithDecision(*withdrawn, "cup.toml", "ida", kAgain);
  ASSERT_TRUE(again) << again.error().Describe();
  EXPECT_EQ(*again,
            "[[penalty]]\nentry = \"ida\"\nreason = 'cut'\nby = 'jo'\n"
            "decided = 2026-12-09T09:00:00Z\ntime = 700\n\n"
            "[[penalty.earlier]]\ntime = 6000\nreason = 'car'\nby = 'jo'\n\n"
            "[[penalty.earlier]]\nwithdrawn = true\nreason = 'screen found'\n"
            "decided = 2026-12-09T08:00:00Z\nby = 'kim'\n");
  EXPECT_FALSE(WithDecision("", "cup.toml", "ida", kWithdrawn)) << "nothing to withdraw";
}

TEST(ReadEvaluationFile, AWithdrawnPenaltyIsAppliedNowhereButStillCountsAsTheEntrysOne) {
  testing::TempDir dir;
  dir.MakeDir("ida");
  const std::string path =
      dir.WriteFile("evaluation.toml",
                    "[[penalty]]\nentry = \"ida\"\nwithdrawn = true\nreason = \"screen found\"\n"
                    "by = \"kim\"\n[[penalty.earlier]]\ntime = 6000\n");
  const auto read = ReadEvaluationFile(path, dir.Path(), false);
  ASSERT_TRUE(read) << read.error().Describe();
  EXPECT_TRUE(read->penalties.empty());
  ASSERT_EQ(read->withdrawn.size(), 1u);
  EXPECT_EQ(read->withdrawn[0].by, "kim");
  EXPECT_EQ(read->withdrawn[0].earlier.at(0).time, "6000");

  dir.WriteFile("evaluation.toml",
                "[[penalty]]\nentry = \"ida\"\nwithdrawn = true\n"
                "[[penalty]]\nentry = \"ida\"\ntime = 1\n");
  const auto twice = ReadEvaluationFile(path, dir.Path(), false);
  ASSERT_FALSE(twice);
  EXPECT_NE(twice.error().Describe().find("a second penalty for 'ida'"), std::string::npos);
}

TEST(RecordDecision, ReadsBackAndNeverOverwritesWhatItCannotKeep) {
  testing::TempDir dir;
  dir.MakeDir("ida");
  const std::string path = dir.Path() + "evaluation.toml";
  ASSERT_TRUE(RecordDecision(path, "ida",
                             {.time = "6000", .reason = "", .decided = "2026-12-01T08:00:00Z"}));
  ASSERT_TRUE(RecordDecision(path, "ida", kLate));
  const auto read = ReadEvaluationFile(path, dir.Path(), false);
  ASSERT_TRUE(read) << read.error().Describe();
  ASSERT_EQ(read->penalties.size(), 1u);
  EXPECT_EQ(read->penalties[0].time, "5400");
  EXPECT_EQ(read->penalties[0].decided, "2026-12-08T17:30:05Z");
  ASSERT_EQ(read->penalties[0].earlier.size(), 1u);
  EXPECT_EQ(read->penalties[0].earlier[0].time, "6000");

  for (const std::string& kept : {std::string("[[penalty]\nentry = \"ida\"\n"),
                                  std::string("penalty = [{ entry = \"ida\", time = 1 }]\n"),
                                  std::string("[[penalty]]\nentry = \"ida\"\ntime = \"6000\"\n")}) {
    dir.WriteFile("kept.toml", kept);
    EXPECT_FALSE(RecordDecision(dir.Path() + "kept.toml", "ida", kLate));
    const std::vector<uint8_t> now = dir.ReadFile("kept.toml");
    EXPECT_EQ(std::string(now.begin(), now.end()), kept);
  }
}

}  // namespace
}  // namespace hl::evaluation
