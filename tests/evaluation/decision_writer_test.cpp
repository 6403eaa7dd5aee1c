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
