// The results files of a batch run (--json, --csv) against the report of the
// same run, with and without penalties, printed and written.

#include <gtest/gtest.h>

#include <memory>

#include <nlohmann/json.hpp>

#include "tests/e2e/batch_runner.h"
#include "tests/support/results_check.h"

namespace hl::testing {
namespace {

class ResultsFiles : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sample_ = std::make_unique<SampleSetup>(); }
  static void TearDownTestSuite() { sample_.reset(); }
  static const SampleSetup& Sample() { return *sample_; }

 private:
  static inline std::unique_ptr<SampleSetup> sample_;
};

TEST_F(ResultsFiles, RankAndDescribeEveryEntryAsTheReportDoes) {
  const std::string json = Sample().work + "results.json";
  const std::string csv = Sample().work + "results.csv";
  for (const std::vector<std::string>& penalties :
       {std::vector<std::string>{}, {"--penalty", "hugo=6000", "--penalty", "bert=00123"}}) {
    std::vector<std::string> args = {"--batch", Sample().base, "--json", json, "--csv", csv};
    args.insert(args.end(), penalties.begin(), penalties.end());
    const BatchResult result = RunBatch(Sample().work, args);
    ASSERT_EQ(result.status, 0) << result.err;
    ExpectResultsMatchReport(result.out, ReadText(json), ReadText(csv));
    EXPECT_NE(result.err.find("JSON results written to " + json), std::string::npos);
  }
}

TEST_F(ResultsFiles, FixtureEntryCarriesItsFacts) {
  const BatchResult result =
      RunBatch(Sample().work, {"--batch", Sample().base, "--json", "-", "--penalty", "hugo=6000"});
  ASSERT_EQ(result.status, 0) << result.err;
  const nlohmann::json json = nlohmann::json::parse(result.out);  // printed instead of the report
  const auto& entries = json["entries"];
  const auto hugo = std::find_if(entries.begin(), entries.end(),
                                 [](const nlohmann::json& e) { return e["entry"] == "hugo"; });
  ASSERT_NE(hugo, entries.end());
  EXPECT_EQ((*hugo)["record_date"], "2004-06-12");
  EXPECT_EQ((*hugo)["penalty"], nlohmann::json({{"time", 6000}, {"reason", nullptr}}));
  EXPECT_EQ((*hugo)["findings"], nlohmann::json::array());
  EXPECT_TRUE((*hugo)["settings"].is_object());
  EXPECT_EQ(json["competition"]["car_file"], "reference.car");
  EXPECT_EQ(json["competition"]["track"], "eichwald");
}

TEST_F(ResultsFiles, UnwritableFileFailsButReportAndChartAreWritten) {
  std::filesystem::remove(Sample().base + "eichwald.txt");
  const std::string folder = Sample().dir.MakeDir("a-folder");
  const BatchResult result = RunBatch(Sample().work, {"--batch", Sample().base, "--csv", folder});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("could not write the CSV results"), std::string::npos) << result.err;
  EXPECT_FALSE(ReadText(Sample().base + "eichwald.txt").empty());
}

TEST_F(ResultsFiles, OnlyOneOutputCanBePrinted) {
  const BatchResult result =
      RunBatch(Sample().work, {"--batch", Sample().base, "--json", "-", "--csv", "-"});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
}

}  // namespace
}  // namespace hl::testing
