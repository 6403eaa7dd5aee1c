// Batch runs with a saved evaluation (--evaluation, --record): penalties
// from the file act exactly as --penalty, recorded fingerprints tell which
// entries changed, and a mistake in the file stops the run before anything
// is written.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>

#include <nlohmann/json.hpp>

#include "tests/e2e/batch_runner.h"
#include "tests/support/results_check.h"

namespace hl::testing {
namespace {

namespace fs = std::filesystem;

// Entry folder -> "file change" of its changed-since-recorded finding.
using ChangeFindings = std::map<std::string, std::vector<std::string>>;

ChangeFindings ChangeFindingsOf(const std::string& json_text) {
  ChangeFindings found;
  const nlohmann::json results = nlohmann::json::parse(json_text);
  for (const auto& entry : results["entries"]) {
    for (const auto& finding : entry["findings"]) {
      if (finding["code"] != "changed-since-recorded") continue;
      for (const auto& file : finding["files"]) {
        found[entry["entry"]].push_back(file["file"].get<std::string>() + " " +
                                        file["change"].get<std::string>());
      }
    }
  }
  return found;
}

// The file without its fingerprint lines, which --record rewrites.
std::string WithoutFingerprintLines(const std::string& text) {
  std::istringstream lines(text);
  std::string kept, line;
  while (std::getline(lines, line)) {
    if (line.find("= \"sha256:") == std::string::npos &&
        line.find("= 'sha256:") == std::string::npos)
      kept += line + "\n";
  }
  return kept;
}

const nlohmann::json& EntryOf(const nlohmann::json& results, const std::string& folder) {
  for (const auto& entry : results["entries"]) {
    if (entry["entry"] == folder) return entry;
  }
  throw std::runtime_error("no entry " + folder);
}

class SavedEvaluation : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sample_ = std::make_unique<SampleSetup>(); }
  static void TearDownTestSuite() { sample_.reset(); }
  static const SampleSetup& Sample() { return *sample_; }

  std::string WriteEvaluation(const std::string& name, const std::string& text) const {
    return Sample().dir.WriteFile("work/" + name, text);
  }

  // A copy of the sample competition that a test may change.
  std::string CopyOfSample(const std::string& name) const {
    const std::string copy = Sample().dir.Path() + name + "/";
    fs::copy(Sample().base, copy, fs::copy_options::recursive);
    return copy;
  }

 private:
  static inline std::unique_ptr<SampleSetup> sample_;
};

TEST_F(SavedEvaluation, PenaltiesFromTheFileGiveTheSameReportAsOnTheCommandLine) {
  const std::string base = Sample().base;
  const BatchResult typed =
      RunBatch(Sample().work, {"--batch", base, "--penalty", "hugo=6000", "--penalty", "bert=123"});
  ASSERT_EQ(typed.status, 0) << typed.err;
  const std::string typed_report = ReadText(base + "eichwald.txt");
  const std::string typed_chart = ReadText(base + "eichwald.png");

  const std::string file = WriteEvaluation("penalties.toml",
                                           "[[penalty]]\n"
                                           "entry = \"hugo\"\n"
                                           "time = 6000\n"
                                           "reason = \"screen shot missing, \\\"late\\\"\"\n"
                                           "[[penalty]]\n"
                                           "entry = \"bert\"\n"
                                           "time = 123\n");
  const std::string json = Sample().work + "saved.json";
  const std::string csv = Sample().work + "saved.csv";
  const BatchResult saved = RunBatch(
      Sample().work, {"--batch", base, "--evaluation", file, "--json", json, "--csv", csv});
  ASSERT_EQ(saved.status, 0) << saved.err;
  EXPECT_EQ(saved.out, typed.out);
  EXPECT_EQ(ReadText(base + "eichwald.txt"), typed_report);
  EXPECT_EQ(ReadText(base + "eichwald.png"), typed_chart);
  ExpectResultsMatchReport(saved.out, ReadText(json), ReadText(csv));

  const nlohmann::json results = nlohmann::json::parse(ReadText(json));
  EXPECT_EQ(EntryOf(results, "hugo")["penalty"],
            nlohmann::json({{"time", 6000}, {"reason", "screen shot missing, \"late\""}}));
  EXPECT_EQ(EntryOf(results, "bert")["penalty"],
            nlohmann::json({{"time", 123}, {"reason", nullptr}}));
  const auto rows = ParseCsv(ReadText(csv));
  const auto hugo = std::find_if(
      rows.begin(), rows.end(), [](const auto& row) { return row.size() > 1 && row[1] == "hugo"; });
  ASSERT_NE(hugo, rows.end());
  EXPECT_EQ(hugo->back(), "screen shot missing, \"late\"");
}

TEST_F(SavedEvaluation, RecordKeepsTheFileAndAnUnchangedRunFindsNothing) {
  const std::string original =
      "# Eichwald cup; penalties agreed with the stewards\n"
      "period = \"2004-06-01..2004-06-30\"   # as announced\n"
      "\n"
      "[fingerprints]   # written by --record\n"
      "\n"
      "# added after the protest\n"
      "[[penalty]]\n"
      "time = 6000\n"
      "entry = \"hugo\"   # time before entry, as typed\n";
  const std::string file = WriteEvaluation("recorded.toml", original);
  const BatchResult recorded =
      RunBatch(Sample().work, {"--batch", Sample().base, "--evaluation", file, "--record"});
  ASSERT_EQ(recorded.status, 0) << recorded.err;
  // The car file, and 7 track, 7 game and 7 screen files of the eight entrants.
  EXPECT_NE(recorded.err.find("Fingerprints of 22 files recorded in " + file), std::string::npos)
      << recorded.err;
  const std::string after = ReadText(file);
  EXPECT_EQ(WithoutFingerprintLines(after), original);
  EXPECT_NE(after.find("'hugo/eichwald.trk' = 'sha256:"), std::string::npos) << after;

  const BatchResult again =
      RunBatch(Sample().work, {"--batch", Sample().base, "--evaluation", file, "--json", "-"});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(ChangeFindingsOf(again.out), ChangeFindings{});
  EXPECT_EQ(again.err.find("changed since recorded"), std::string::npos) << again.err;
  EXPECT_EQ(ReadText(file), after);  // without --record the file is only read
}

struct ChangeCase {
  const char* name;
  std::function<void(const std::string& base)> change;
  ChangeFindings expected;
  const char* error_names;  // on standard error
};

TEST_F(SavedEvaluation, EveryChangedEntryGetsExactlyItsFinding) {
  const std::string file = WriteEvaluation("changes.toml", "");
  ASSERT_EQ(
      RunBatch(Sample().work, {"--batch", Sample().base, "--evaluation", file, "--record"}).status,
      0);

  const std::vector<ChangeCase> cases = {
      {"track touched",
       [](const std::string& base) {
         std::ofstream(base + "anna/eichwald.trk", std::ios::app) << 'x';
       },
       {{"anna", {"anna/eichwald.trk changed"}}},
       "anna/eichwald.trk changed"},
      {"screen removed",
       [](const std::string& base) { fs::remove(base + "hugo/screen.jpg"); },
       {{"hugo", {"hugo/screen.jpg removed"}}},
       "hugo/screen.jpg removed"},
      {"entry added",
       [](const std::string& base) {
         fs::copy(base + "anna", base + "zora", fs::copy_options::recursive);
       },
       {{"zora", {"zora/anna.gam added", "zora/eichwald.trk added", "zora/screen.jpg added"}}},
       "zora/anna.gam added"},
      // Nobody is left to carry a finding; standard error still says so.
      {"entry gone",
       [](const std::string& base) { fs::remove_all(base + "emil"); },
       {},
       "emil/emil.gam removed, emil/screen.jpg removed"},
  };
  int copy = 0;
  for (const ChangeCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string base = CopyOfSample("changed-" + std::to_string(++copy));
    c.change(base);
    const BatchResult run =
        RunBatch(Sample().work, {"--batch", base, "--evaluation", file, "--json", "-"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ChangeFindingsOf(run.out), c.expected);
    EXPECT_NE(run.err.find(std::string("changed since recorded: ") + c.error_names),
              std::string::npos)
        << run.err;
  }
}

struct BadFile {
  const char* name;
  std::string text;
  std::vector<std::string> extra_args;
  std::string expected;  // after "FILE: "
};

TEST_F(SavedEvaluation, AMistakeInTheFileStopsTheRunBeforeAnythingIsWritten) {
  const std::string penalty = "[[penalty]]\nentry = \"hugo\"\n";
  const std::vector<BadFile> cases = {
      {"not TOML", "[[penalty]\nentry = \"hugo\"\n", {}, "line 1: not valid TOML"},
      {"no entry folder",
       "[[penalty]]\ntime = 1\nentry = \"nobody\"\n",
       {},
       "line 3: 'nobody' is not an entry folder of "},
      {"path as entry",
       "[[penalty]]\nentry = \"../competition\"\ntime = 1\n",
       {},
       "line 2: '../competition' is not an entry folder"},
      {"six digits", penalty + "time = 123456\n", {}, "line 3: time must be a whole number"},
      {"time as text", penalty + "time = \"6000\"\n", {}, "line 3: time must be a whole number"},
      {"no time", penalty + "reason = \"late\"\n", {}, "line 1: [[penalty]] without time"},
      {"same entry twice",
       penalty + "time = 1\n\n" + penalty + "time = 2\n",
       {},
       "line 6: a second penalty for 'hugo' (the first is on line 1)"},
      {"unknown key",
       "periode = \"2026-11-01..2026-11-30\"\n",
       {},
       "line 1: unknown key 'periode'"},
      {"unknown penalty key",
       penalty + "time = 1\nreasons = \"late\"\n",
       {},
       "line 4: unknown key 'reasons' in [[penalty]]"},
      {"bad fingerprint",
       "[fingerprints]\n\"anna/eichwald.trk\" = \"sha256:12\"\n",
       {},
       "line 2: the fingerprint of 'anna/eichwald.trk' is not"},
      {"bad period", "\nperiod = \"2026-11-31..2026-12-01\"\n", {}, "line 2: period: "},
      {"penalty on the command line too",
       penalty + "time = 1\n",
       {"--penalty", "hugo=6000"},
       "line 1: 'hugo' also has a --penalty on the command line"},
      {"period on the command line too",
       "period = \"2026-11-01..2026-11-30\"\n",
       {"--period", "2026-11-01..2026-11-30"},
       "line 1: period is also given by --period"},
  };
  for (const BadFile& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string base = CopyOfSample("bad");
    fs::remove(base + "eichwald.txt");
    fs::remove(base + "eichwald.png");
    const std::string file = WriteEvaluation("bad.toml", c.text);
    std::vector<std::string> args = {
        "--batch", base, "--evaluation", file, "--record", "--json", Sample().work + "bad.json"};
    args.insert(args.end(), c.extra_args.begin(), c.extra_args.end());
    const BatchResult run = RunBatch(Sample().work, args);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("hotlap-eval: " + file + ": " + c.expected), std::string::npos)
        << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(fs::exists(base + "eichwald.txt"));
    EXPECT_FALSE(fs::exists(Sample().work + "bad.json"));
    EXPECT_EQ(ReadText(file), c.text);
    fs::remove_all(base);
  }
}

TEST_F(SavedEvaluation, RecordCreatesTheCompetitionsFileAndAFileMustExistUnlessRecorded) {
  const std::string base = CopyOfSample("first-record");
  const BatchResult first = RunBatch(Sample().work, {"--batch", base, "--record"});
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_NE(ReadText(base + "evaluation.toml").find("[fingerprints]"), std::string::npos);
  const BatchResult again = RunBatch(Sample().work, {"--batch", base});
  EXPECT_EQ(again.err.find("changed since recorded"), std::string::npos) << again.err;
  fs::remove_all(base);

  const std::string missing = Sample().work + "missing.toml";
  const BatchResult read_only =
      RunBatch(Sample().work, {"--batch", Sample().base, "--evaluation", missing});
  EXPECT_EQ(read_only.status, 2);
  EXPECT_NE(read_only.err.find(missing + ": does not exist"), std::string::npos) << read_only.err;
  EXPECT_FALSE(fs::exists(missing));
}

}  // namespace
}  // namespace hl::testing
