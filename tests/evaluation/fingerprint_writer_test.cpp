// Writing fingerprints into an evaluation file the organiser keeps by hand:
// only the entries of the fingerprints table change, every other byte stays.

#include <gtest/gtest.h>

#include "evaluation/fingerprint_writer.h"
#include "tests/support/temp_dir.h"

namespace hl::evaluation {
namespace {

const Fingerprints kNew = {{"anna/eichwald.trk", "sha256:01"}, {"reference.car", "sha256:02"}};
constexpr const char* kNewLines =
    "'anna/eichwald.trk' = 'sha256:01'\n"
    "'reference.car' = 'sha256:02'\n";

struct WriteCase {
  const char* name;
  std::string before;
  std::string after;
};

class WritesOnlyTheFingerprints : public ::testing::TestWithParam<WriteCase> {};

TEST_P(WritesOnlyTheFingerprints, IntoTheText) {
  const auto written = WithFingerprints(GetParam().before, "cup.toml", kNew);
  ASSERT_TRUE(written) << written.error().Describe();
  EXPECT_EQ(*written, GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, WritesOnlyTheFingerprints,
    ::testing::Values(
        WriteCase{"TableBetweenCommentsAndPenalties",
                  "# Eichwald cup\n"
                  "period = \"2026-11-01..2026-11-30\"   # as announced\n"
                  "\n"
                  "[fingerprints]   # written by --record\n"
                  "\"anna/eichwald.trk\" = \"sha256:ff\"   # old\n"
                  "# between\n"
                  "\"gone/x.trk\" = \"sha256:ee\"\n"
                  "\n"
                  "# late\n"
                  "[[penalty]]\n"
                  "entry = \"hugo\"\n"
                  "time = 6000\n",
                  std::string("# Eichwald cup\n"
                              "period = \"2026-11-01..2026-11-30\"   # as announced\n"
                              "\n"
                              "[fingerprints]   # written by --record\n") +
                      kNewLines +
                      "# between\n"
                      "\n"
                      "# late\n"
                      "[[penalty]]\n"
                      "entry = \"hugo\"\n"
                      "time = 6000\n"},
        WriteCase{"NoTableYetAndNoLastLineEnd", "period = \"x\"  # kept",
                  std::string("period = \"x\"  # kept\n\n[fingerprints]\n") + kNewLines},
        WriteCase{"EmptyFile", "", std::string("[fingerprints]\n") + kNewLines},
        WriteCase{"InlineTable",
                  "fingerprints = { \"a\" = \"sha256:1\" }  # inline\n[[penalty]]\ntime = 1\n",
                  std::string("[[penalty]]\ntime = 1\n\n[fingerprints]\n") + kNewLines},
        WriteCase{"DottedKeys", "fingerprints.\"a\" = \"sha256:1\"\nperiod = \"x\"\n",
                  std::string("period = \"x\"\n\n[fingerprints]\n") + kNewLines},
        WriteCase{"WindowsLineEnds", "period = \"x\"\r\n[fingerprints]\r\n\"a\" = \"sha256:1\"\r\n",
                  "period = \"x\"\r\n[fingerprints]\r\n"
                  "'anna/eichwald.trk' = 'sha256:01'\r\n'reference.car' = 'sha256:02'\r\n"}),
    [](const auto& info) { return info.param.name; });

TEST(RecordFingerprints, NeverOverwritesAFileThatIsNotToml) {
  testing::TempDir dir;
  const std::string broken = "[[penalty]\nentry = \"hugo\"\n";
  const std::string path = dir.WriteFile("cup.toml", broken);
  const auto recorded = RecordFingerprints(path, kNew);
  ASSERT_FALSE(recorded);
  EXPECT_EQ(recorded.error().file, path);
  EXPECT_TRUE(recorded.error().what.starts_with("line 1: not valid TOML")) << recorded.error().what;
  const std::vector<uint8_t> now = dir.ReadFile("cup.toml");
  EXPECT_EQ(std::string(now.begin(), now.end()), broken);
}

TEST(RecordFingerprints, CreatesAMissingFileAndRewritesItInPlace) {
  testing::TempDir dir;
  const std::string path = dir.Path() + "cup.toml";
  ASSERT_TRUE(RecordFingerprints(path, {{"a/b.trk", "sha256:1"}}));
  ASSERT_TRUE(RecordFingerprints(path, kNew));
  const std::vector<uint8_t> now = dir.ReadFile("cup.toml");
  EXPECT_EQ(std::string(now.begin(), now.end()), std::string("[fingerprints]\n") + kNewLines);
}

}  // namespace
}  // namespace hl::evaluation
