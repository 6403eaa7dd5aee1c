// Damaged copies of the sample competition through a whole batch run: the
// run must end normally and its report must account for every entry folder,
// saying so where a track file cannot be used.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/program.h"
#include "run/competition_run.h"
#include "run/entry_run.h"
#include "tests/support/full_and_lean.h"
#include "tests/support/report_accounting.h"
#include "tests/support/results_check.h"
#include "tests/support/temp_dir.h"
#include "tools/competition/corruption.h"
#include "tools/competition/sample_competition.h"

namespace hl::testing {
namespace {

namespace fs = std::filesystem;
using competition::Corruption;
using competition::Damage;
using competition::DamagedFile;
using competition::Field;
using competition::FieldValue;

constexpr int kEntrants = 8;

std::string ReadFileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> SortedFolders(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& item : fs::directory_iterator(folder)) {
    if (item.is_directory()) names.push_back(item.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Entry folders are addressed by their index in name order.
int EntryIndex(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : competition::PlanSampleEntries(kEntrants)) names.push_back(entry.folder);
  std::sort(names.begin(), names.end());
  return static_cast<int>(std::find(names.begin(), names.end(), folder) - names.begin());
}

Corruption Damaged(Damage damage, DamagedFile file, const std::string& entry = "anna",
                   int64_t amount = 0) {
  Corruption c;
  c.damage = damage;
  c.file = file;
  c.entry = EntryIndex(entry);
  c.amount = amount;
  return c;
}

Corruption FieldSet(const std::string& entry, Field field, FieldValue value) {
  Corruption c = Damaged(Damage::SetField, DamagedFile::Track, entry);
  c.field = field;
  c.value = value;
  return c;
}

Corruption Renamed(const std::string& entry, const std::string& name) {
  Corruption c = Damaged(Damage::RenameEntry, DamagedFile::Track, entry);
  c.new_name = name;
  return c;
}

Corruption Flipped(const std::string& entry, DamagedFile file, uint32_t seed) {
  Corruption c = Damaged(Damage::FlipBytes, file, entry, 40);
  c.seed = seed;
  return c;
}

struct Case {
  const char* name;
  std::vector<Corruption> corruptions;
  // Entry folders (by their final names) whose log must name a track problem;
  // emil's entry of the sample has no track file at all.
  std::set<std::string> track_problems;
  // Entries whose damage may or may not reach a number the decoding checks.
  std::set<std::string> either_way = {};
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"Intact", {}, {"emil"}},
      {"TrackCutInHeader",
       {Damaged(Damage::Truncate, DamagedFile::Track, "anna", 100)},
       {"anna", "emil"}},
      {"RecordBlockBeyondFile",
       {FieldSet("bert", Field::FixedSize, FieldValue::BeyondFile)},
       {"bert", "emil"}},
      {"PictureBeyondFile",
       {FieldSet("cleo", Field::PairCount, FieldValue::Largest16)},
       {"cleo", "emil"}},
      {"CountsBeyondFile",
       {FieldSet("dora", Field::ObjectCount, FieldValue::Largest16),
        FieldSet("hugo", Field::GhostWord, FieldValue::Largest16),
        FieldSet("finn", Field::PairCount, FieldValue::MinusOne)},
       {"dora", "hugo", "finn", "emil"}},
      {"EmptyFiles",
       {Damaged(Damage::ZeroLength, DamagedFile::Track),
        Damaged(Damage::ZeroLength, DamagedFile::Game),
        Damaged(Damage::ZeroLength, DamagedFile::Screen),
        Damaged(Damage::ZeroLength, DamagedFile::Car)},
       {"anna", "emil"}},
      {"NamedPipes",
       {Damaged(Damage::FifoInstead, DamagedFile::Track, "bert"),
        Damaged(Damage::FifoInstead, DamagedFile::Game, "cleo"),
        Damaged(Damage::FifoInstead, DamagedFile::Screen, "dora"),
        Damaged(Damage::FifoInstead, DamagedFile::Car)},
       {"bert", "emil"}},
      {"OversizedFiles",
       {Damaged(Damage::Inflate, DamagedFile::Track, "anna", 3'000'000),
        Damaged(Damage::Inflate, DamagedFile::Track, "bert", 1'900'000),
        Damaged(Damage::Inflate, DamagedFile::Game, "cleo", 1'900'001),
        Damaged(Damage::Inflate, DamagedFile::Car, "anna", 3'000'000)},
       {"anna", "emil"}},
      // A folder named like the car file is an entry folder of its own.
      {"FoldersInsteadOfFiles",
       {Damaged(Damage::DirectoryInstead, DamagedFile::Track, "anna"),
        Damaged(Damage::DirectoryInstead, DamagedFile::Screen, "bert"),
        Damaged(Damage::DirectoryInstead, DamagedFile::Car)},
       {"anna", "emil", "reference.car"}},
      {"AwkwardFolderNames",
       {Renamed("anna", "entry with spaces"), Renamed("bert", "Zo\xC3\xAB M\xC3\xBCller"),
        Renamed("cleo", "bad-\xFF\xFE-bytes")},
       {"emil"}},
      {"FlippedBytes",
       {Flipped("anna", DamagedFile::Track, 11), Flipped("bert", DamagedFile::Game, 12),
        Flipped("dora", DamagedFile::Screen, 13), Flipped("goesta", DamagedFile::Track, 14),
        Flipped("hugo", DamagedFile::Car, 15)},
       {"emil"},
       {"anna", "goesta"}},
  };
  return cases;
}

class DamagedCompetition : public ::testing::TestWithParam<Case> {
 protected:
  static void SetUpTestSuite() {
    intact_ = new TempDir;
    competition::SampleOptions options;
    options.entrants = kEntrants;
    options.screen_width = 160;
    options.screen_height = 120;
    const auto problem = competition::WriteSampleCompetition(intact_->Path(), options);
    ASSERT_FALSE(problem) << *problem;
  }
  static void TearDownTestSuite() {
    delete intact_;
    intact_ = nullptr;
  }

  static TempDir* intact_;
};

TempDir* DamagedCompetition::intact_ = nullptr;

TEST_P(DamagedCompetition, EveryEntryIsAccountedFor) {
  const Case& c = GetParam();
  TempDir work;
  const std::string base = work.Path() + "competition";
  ASSERT_FALSE(competition::WriteVariant(intact_->Path(), base, c.corruptions));
  const std::vector<std::string> folders = SortedFolders(base);

  const std::string json = work.Path() + "results.json", csv = work.Path() + "results.csv";
  const std::string page = work.Path() + "page/";
  std::vector<std::string> args = {"hotlap-eval", "--batch", base,       "--json", json,
                                   "--csv",       csv,       "--export", page};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  std::ostringstream out, err;
  const int status = cli::RunCommandLine(static_cast<int>(argv.size()), argv.data(), out, err);
  ASSERT_TRUE(status == 0 || status == 1) << status << "\n" << err.str();
  ExpectResultsMatchReport(out.str(), ReadFileText(json), ReadFileText(csv));
  // The page's own copy of the results is the same data, with the pictures it shows.
  const auto exported = nlohmann::json::parse(ReadFileText(page + "results.json"));
  EXPECT_EQ(exported["ranking"], nlohmann::json::parse(ReadFileText(json))["ranking"]);
  EXPECT_NE(ReadFileText(page + "index.html").find("</html>"), std::string::npos);

  const ReportAccount account = AccountFor(out.str());
  ASSERT_EQ(account.entries.size(), folders.size()) << out.str();
  const std::set<std::string> distinct(account.result_lines.begin(), account.result_lines.end());
  EXPECT_EQ(distinct.size(), account.result_lines.size()) << "a result line appears twice";
  EXPECT_EQ(account.ranking.size(), account.result_lines.size()) << "not every result is ranked";
  for (size_t i = 0; i < folders.size(); ++i) {
    SCOPED_TRACE(folders[i]);
    const auto& log = account.entries[i];
    EXPECT_LE(std::count_if(log.begin(), log.end(),
                            [](const std::string& line) { return line.starts_with("1.: "); }),
              1);
    if (!c.either_way.contains(folders[i])) {
      EXPECT_EQ(ReportsTrackProblem(log), c.track_problems.contains(folders[i]));
    }
  }
}

// Damaged screens and tracks are where leaving work out, or doing it ahead
// on another core, could change a verdict; the lean run must not notice.
TEST_P(DamagedCompetition, LeanRunWritesWhatTheFullRunWrites) {
  TempDir work;
  const std::string base = work.Path() + "competition";
  ASSERT_FALSE(competition::WriteVariant(intact_->Path(), base, GetParam().corruptions));
  ExpectLeanRunMatchesFull(work.Path(),
                           {"--batch", base, "--json", work.Path() + "results.json", "--csv",
                            work.Path() + "results.csv", "--export", work.Path() + "page"},
                           {work.Path()});
}

void ExpectSameFacts(const record::EntryRecord& alone, const record::EntryRecord& full) {
  EXPECT_EQ(alone.folder, full.folder);
  EXPECT_EQ(alone.track_file, full.track_file);
  EXPECT_EQ(alone.game_file, full.game_file);
  EXPECT_EQ(alone.screen_file, full.screen_file);
  EXPECT_EQ(alone.track_verdict, full.track_verdict);
  EXPECT_EQ(alone.track.has_value(), full.track.has_value());
  if (alone.track && full.track) {
    EXPECT_EQ(alone.track->result, full.track->result);
    EXPECT_EQ(alone.track->car_ok, full.track->car_ok);
    EXPECT_EQ(alone.track->ghost_samples, full.track->ghost_samples);
  }
  EXPECT_EQ(alone.track_name, full.track_name);
  EXPECT_EQ(alone.settings.has_value(), full.settings.has_value());
  EXPECT_EQ(alone.penalty.has_value(), full.penalty.has_value());
  EXPECT_EQ(alone.evidence.track_file, full.evidence.track_file);
  EXPECT_EQ(alone.evidence.track_picture, full.evidence.track_picture);
  EXPECT_EQ(alone.evidence.car_block, full.evidence.car_block);
  EXPECT_EQ(alone.evidence.ghost, full.evidence.ghost);
  EXPECT_EQ(alone.evidence.ghost_points.size(), full.evidence.ghost_points.size());
  EXPECT_EQ(alone.evidence.screen_unreadable, full.evidence.screen_unreadable);
  // Copies are found by comparing entries, which only the full run does.
  std::vector<std::string> alone_codes, full_codes;
  for (const record::Finding& finding : alone.findings) alone_codes.push_back(finding.code);
  for (const record::Finding& finding : full.findings) {
    if (!finding.code.starts_with("duplicate-")) full_codes.push_back(finding.code);
  }
  EXPECT_EQ(alone_codes, full_codes);
}

// An entry evaluated alone (as the server evaluates an upload) logs and
// records what the full run gives it, penalty included.
TEST_P(DamagedCompetition, EachEntryAloneAsInTheFullRun) {
  TempDir work;
  const std::string base = work.Path() + "competition/";
  ASSERT_FALSE(competition::WriteVariant(intact_->Path(), base, GetParam().corruptions));
  run::RunPlan plan;
  plan.base_dir = base;
  plan.penalties = {{"bert", "6100"}};
  const run::EvaluatedCompetition full = run::EvaluateCompetition(plan, {});
  ASSERT_TRUE(full.Ranked());
  ASSERT_EQ(full.entry_logs.size(), full.record.entries.size());
  const std::string car =
      base + (full.record.car_files.empty() ? "none.car" : full.record.car_files.back());
  for (size_t i = 0; i < full.record.entries.size(); ++i) {
    const record::EntryRecord& in_full = full.record.entries[i];
    SCOPED_TRACE(in_full.folder);
    run::EntryOptions options;
    if (auto penalty = plan.penalties.find(in_full.folder); penalty != plan.penalties.end())
      options.penalty = penalty->second;
    const auto alone = run::EvaluateEntry(car, base + in_full.folder, options);
    ASSERT_TRUE(alone.has_value());
    EXPECT_EQ(alone->log_lines, full.entry_logs[i]);
    ExpectSameFacts(alone->record, in_full);
  }
}

INSTANTIATE_TEST_SUITE_P(Sample, DamagedCompetition, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace hl::testing
