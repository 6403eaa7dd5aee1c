// The audit through whole batch runs: competitions written with the game's
// file writers, one per idea, and the findings the run reports for them in
// the JSON results and after the report.

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/e2e/batch_runner.h"
#include "toolkit/files/data_buffer.h"
#include "tools/competition/game_file_writer.h"
#include "tools/competition/picture_writer.h"
#include "tools/competition/track_file_writer.h"

namespace hl::testing {
namespace {

using competition::GhostSample;
using competition::TrackFileContent;
using Json = nlohmann::json;

// At track scale 200 a game unit is 1/59 of a picture pixel, so whole pixel
// positions are stored exactly.
constexpr uint8_t kScale = 200;
constexpr uint16_t kUnitsPerPixel = 59;

const std::vector<uint8_t> kReferenceCar = competition::MakeCarBlock("Falcon 2.0", 7);

enum class Screen { Good, Broken, None };

struct FixtureEntry {
  std::string folder;
  std::optional<TrackFileContent> track;  // none: no track file
  Screen screen = Screen::Good;
  bool game = true;
};

// A lap of slot 1 with the reference car and no ghost.
TrackFileContent Lap(const std::string& driver, int16_t time = 5000) {
  TrackFileContent content;
  content.scale = kScale;
  content.slots[1].time = time;
  content.slots[1].driver = driver;
  content.slots[1].car = kReferenceCar;
  return content;
}

// Picture pixels (x, y) as ghost samples.
std::vector<GhostSample> Ghost(const std::vector<std::pair<int, int>>& pixels) {
  std::vector<GhostSample> ghost;
  for (const auto& [x, y] : pixels) {
    ghost.push_back({static_cast<uint16_t>(x * kUnitsPerPixel),
                     static_cast<uint16_t>((511 - y) * kUnitsPerPixel)});
  }
  return ghost;
}

// `count` steps of `step` pixels to the right from (start, 100), except that
// the step to sample `jump_at` goes `jump` pixels straight down instead.
std::vector<GhostSample> StraightGhost(int count, int step, int start = 10, int jump_at = -1,
                                       int jump = 0) {
  std::vector<std::pair<int, int>> pixels;
  for (int i = 0; i <= count; ++i) {
    const bool after_jump = jump_at >= 0 && i >= jump_at;
    pixels.push_back({start + step * (after_jump ? i - 1 : i), after_jump ? 100 + jump : 100});
  }
  return Ghost(pixels);
}

Json Difference(int offset, uint8_t reference, uint8_t entry) {
  return {{"offset", offset}, {"reference", reference}, {"entry", entry}};
}

class Fixture {
 public:
  Fixture(const std::optional<std::vector<uint8_t>>& car, const std::vector<FixtureEntry>& entries)
      : base_(dir_.MakeDir("competition")), work_(dir_.MakeDir("work")) {
    if (car) dir_.WriteFile("competition/reference.car", *car);
    for (const FixtureEntry& entry : entries) Write(entry);
  }

  // Each entry folder's findings in the JSON results.
  std::map<std::string, Json> Findings(std::vector<std::string> extra = {}) const {
    std::vector<std::string> args = {"--batch", base_, "--json", "-"};
    args.insert(args.end(), extra.begin(), extra.end());
    const BatchResult result = RunBatch(work_, args);
    EXPECT_EQ(result.status, 0) << result.err;
    const Json json = Json::parse(result.out);
    std::map<std::string, Json> findings;
    for (const Json& entry : json["entries"]) findings[entry["entry"]] = entry["findings"];
    return findings;
  }

 private:
  void Write(const FixtureEntry& entry) const {
    const std::string folder = "competition/" + entry.folder + "/";
    dir_.MakeDir(folder);
    if (entry.track)
      dir_.WriteFile(folder + "eichwald.trk", competition::BuildTrackFile(*entry.track));
    if (entry.game) {
      competition::GameFileContent game;
      game.track_names = {"Eichwald Ring"};
      dir_.WriteFile(folder + entry.folder + ".gam", competition::BuildGameFile(game));
    }
    if (entry.screen == Screen::Good) {
      dir_.WriteFile(folder + "screen.bmp",
                     competition::EncodeBmp24(*raster::Image::Create(32, 24)));
    } else if (entry.screen == Screen::Broken) {
      dir_.WriteFile(folder + "screen.jpg", std::string("\xFF\xD8 not really a picture"));
    }
  }

  TempDir dir_;
  std::string base_, work_;
};

Json Codes(const Json& findings) {
  Json codes = Json::array();
  for (const Json& finding : findings) codes.push_back(finding["code"]);
  return codes;
}

TEST(Audit, SampleCompetitionGivesExactlyTheFindingsOfItsPlantedFaults) {
  const SampleSetup sample;
  const BatchResult result = RunBatch(
      sample.work, {"--batch", sample.base, "--audit", "--period", "2004-06-01..2004-06-30"});
  ASSERT_EQ(result.status, 0) << result.err;
  // The report comes first, unchanged; the honest entries (and the lap
  // without a time) give nothing.
  const std::string report = ReadText(SourcePath("tests/e2e/expected/sample-report.txt"));
  EXPECT_EQ(result.out, report +
                            "bert: car-modified: 1 byte differs from the reference at offset 700\n"
                            "dora: no-screen: no screen file in the folder\n"
                            "emil: no-track: no track file in the folder\n"
                            "finn: no-game: no game file in the folder\n");

  const Json json = Json::parse(RunBatch(sample.work, {"--batch", sample.base, "--json", "-"}).out);
  const Json& bert = json["entries"][1];
  ASSERT_EQ(bert["entry"], "bert");
  const uint8_t reference = competition::MakeCarBlock("Falcon 2.0", 7)[700];
  // The reference block follows a 5-byte preamble and one other block.
  EXPECT_EQ(bert["findings"][0]["nearest_offset"], 5 + 1344);
  EXPECT_EQ(bert["findings"][0]["differences"],
            Json::parse(R"([{"offset": 700, "reference": )" + std::to_string(reference) +
                        R"(, "entry": )" + std::to_string(reference ^ 0x20) + "}]"));
}

TEST(Audit, ModifiedCarIsShownAgainstTheNearestBlockOfTheCarFile) {
  const std::vector<uint8_t> other = competition::MakeCarBlock("Comet RS", 3);
  auto car_file = [&](std::vector<uint8_t> preamble, std::vector<std::vector<uint8_t>> blocks) {
    for (const auto& block : blocks) preamble.insert(preamble.end(), block.begin(), block.end());
    return preamble;
  };
  std::vector<uint8_t> ends_changed = kReferenceCar;
  ends_changed.front() ^= 0x01;
  ends_changed.back() ^= 0xFF;
  // Changed throughout (a byte in every 190), so no long unchanged run of
  // the block leads a search straight to its place; `between` changes as
  // many bytes elsewhere.
  const std::vector<int> throughout = {5, 195, 385, 575, 765, 955, 1145, 1335};
  const std::vector<int> between = {100, 300, 500, 700, 900, 1100, 1200, 1300};
  auto changed = [](std::vector<uint8_t> block, const std::vector<int>& offsets) {
    for (const int at : offsets) block[static_cast<size_t>(at)] ^= 0x10;
    return block;
  };
  auto differences = [](const std::vector<uint8_t>& reference, const std::vector<uint8_t>& entry,
                        const std::vector<int>& offsets) {
    Json list = Json::array();
    for (const int at : offsets) {
      list.push_back(
          Difference(at, reference[static_cast<size_t>(at)], entry[static_cast<size_t>(at)]));
    }
    return list;
  };
  const std::vector<uint8_t> lower_near = changed(kReferenceCar, throughout);
  const std::vector<uint8_t> higher_near = changed(kReferenceCar, between);
  const std::string eight_offsets =
      "8 bytes differ from the reference at offsets 5, 195, 385, 575, "
      "765, 955, 1145, 1335";
  // The largest car file the tool reads, its reference block the last one
  // that fits.
  std::vector<uint8_t> largest(99'999, 0x5A);
  std::copy(kReferenceCar.begin(), kReferenceCar.end(), largest.end() - 1344);
  std::vector<uint8_t> short_file(kReferenceCar.begin(), kReferenceCar.end() - 1);

  struct Case {
    const char* name;
    std::optional<std::vector<uint8_t>> car;
    std::vector<uint8_t> entry_car;
    Json expected;  // the car finding, or null for none
  };
  const std::vector<Case> cases = {
      {"unchanged", car_file({1, 2, 3}, {other, kReferenceCar}), kReferenceCar, nullptr},
      {"first and last byte, reference at an odd offset",
       car_file({1, 2, 3}, {other, kReferenceCar}),
       ends_changed,
       {{"code", "car-modified"},
        {"message", "2 bytes differ from the reference at offsets 0, 1343"},
        {"nearest_offset", 3 + 1344},
        {"differences",
         Json::array({Difference(0, kReferenceCar.front(), ends_changed.front()),
                      Difference(1343, kReferenceCar.back(), ends_changed.back())})}}},
      {"equally near blocks: the lowest wins",
       car_file({9}, {lower_near, higher_near}),
       kReferenceCar,
       {{"code", "car-modified"},
        {"message", eight_offsets},
        {"nearest_offset", 1},
        {"differences", differences(lower_near, kReferenceCar, throughout)}}},
      {"last position of a 99,999-byte file",
       largest,
       lower_near,
       {{"code", "car-modified"},
        {"message", eight_offsets},
        {"nearest_offset", 99'999 - 1344},
        {"differences", differences(kReferenceCar, lower_near, throughout)}}},
      {"car file shorter than a block",
       short_file,
       kReferenceCar,
       {{"code", "car-not-checked"},
        {"message", "the reference car file reference.car holds no whole car block (1343 bytes)"}}},
      // --batch refuses a folder without a car file; one too large to read
      // leaves the run without a reference all the same.
      {"car file too large to read",
       std::vector<uint8_t>(files::DataBuffer::kCarAreaSize),
       kReferenceCar,
       {{"code", "car-not-checked"}, {"message", "no reference car file was read"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TrackFileContent lap = Lap("Anna");
    lap.slots[1].car = c.entry_car;
    const Fixture fixture(c.car, {{"anna", lap}});
    const Json findings = fixture.Findings()["anna"];
    EXPECT_EQ(findings, c.expected.is_null() ? Json::array() : Json::array({c.expected}));
  }
}

TEST(Audit, SharedGhostsAndTrackFilesNameTheOtherEntries) {
  TrackFileContent anna = Lap("Anna", 5000), bert = Lap("Bert", 5100), cleo = Lap("Cleo", 5200),
                   emil = Lap("Emil", 5300);
  anna.ghost = bert.ghost = StraightGhost(50, 2);
  cleo.ghost = StraightGhost(50, 2, 20);
  emil.ghost = StraightGhost(50, 2, 30);
  // Two files that end right after the ghost's size: no samples to share.
  TrackFileContent gus = Lap("Gus"), hal = Lap("Hal");
  gus.ghost_word = hal.ghost_word = 100;
  const Fixture fixture(kReferenceCar, {{"anna", anna},
                                        {"bert", bert},
                                        {"cleo", cleo},
                                        {"dora", cleo},
                                        {"emil", emil},
                                        {"finn", cleo},
                                        {"gus", gus},
                                        {"hal", hal}});
  const auto findings = fixture.Findings();
  EXPECT_EQ(findings.at("anna"), Json::parse(R"([{"code": "duplicate-ghost",
      "message": "the ghost is byte for byte that of bert", "entries": ["bert"],
      "group": "anna", "group_size": 2}])"));
  EXPECT_EQ(Codes(findings.at("bert")), Json({"duplicate-ghost"}));
  EXPECT_EQ(findings.at("dora"), Json::parse(R"([
      {"code": "duplicate-track-file", "message": "the track file is byte for byte that of cleo, finn",
       "entries": ["cleo", "finn"], "group": "cleo", "group_size": 3},
      {"code": "duplicate-ghost", "message": "the ghost is byte for byte that of cleo, finn",
       "entries": ["cleo", "finn"], "group": "cleo", "group_size": 3}])"));
  EXPECT_EQ(findings.at("finn")[0]["entries"], Json({"cleo", "dora"}));
  EXPECT_EQ(findings.at("emil"), Json::array());
  EXPECT_EQ(Codes(findings.at("gus")), Json({"track-damaged"}));
}

// A group larger than a finding lists: every entry names the group and its
// size, and at most 20 of the others, so the results stay linear.
TEST(Audit, ALargeGroupListsItsFirstOthersAndCountsTheRest) {
  constexpr int kEntries = 25;
  const auto name = [](int i) { return std::string(i < 10 ? "e0" : "e") + std::to_string(i); };
  std::vector<FixtureEntry> entries;
  for (int i = 0; i < kEntries; ++i) {
    TrackFileContent lap = Lap(name(i), static_cast<int16_t>(5000 + i));
    lap.ghost = StraightGhost(50, 2);
    entries.push_back({name(i), lap});
  }
  const auto findings = Fixture(kReferenceCar, entries).Findings();
  for (const int self : {0, 7, 24}) {
    SCOPED_TRACE(self);
    Json others = Json::array();
    for (int i = 0; i < kEntries && others.size() < 20; ++i) {
      if (i != self) others.push_back(name(i));
    }
    const Json& found = findings.at(name(self));
    ASSERT_EQ(found.size(), 1u) << found;
    EXPECT_EQ(found[0]["group"], "e00");
    EXPECT_EQ(found[0]["group_size"], kEntries);
    EXPECT_EQ(found[0]["entries"], others);
  }
  EXPECT_EQ(findings.at("e24")[0]["message"],
            "the ghost is byte for byte that of e00, e01, e02, e03, e04 and 19 more");
}

TEST(Audit, RecordDatesOutsideThePeriodOrNoDatesAtAll) {
  struct Case {
    const char* folder;
    competition::StoredDate date;
    Json expected_date;  // null: no finding
  };
  const std::vector<Case> cases = {
      {"first_day", {2004, 3, 1}, nullptr},         {"last_day", {2004, 6, 30}, nullptr},
      {"leap_day", {2004, 2, 29}, "2004-02-29"},    {"day_after", {2004, 7, 1}, "2004-07-01"},
      {"no_such_day", {2004, 4, 31}, "2004-04-31"}, {"month_13", {2004, 13, 1}, "2004-13-01"},
  };
  std::vector<FixtureEntry> entries;
  for (const Case& c : cases) {
    TrackFileContent lap = Lap(c.folder);
    lap.record_date = c.date;
    entries.push_back({c.folder, lap});
  }
  const Fixture fixture(kReferenceCar, entries);
  const auto findings = fixture.Findings({"--period", "2004-03-01..2004-06-30"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    const Json& found = findings.at(c.folder);
    if (c.expected_date.is_null()) {
      EXPECT_EQ(found, Json::array());
      continue;
    }
    ASSERT_EQ(found.size(), 1u) << found;
    EXPECT_EQ(found[0]["code"], "outside-period");
    EXPECT_EQ(found[0]["date"], c.expected_date);
  }
  EXPECT_EQ(findings.at("leap_day")[0]["message"],
            "the lap was recorded on 2004-02-29, outside the period 2004-03-01..2004-06-30");
  EXPECT_EQ(findings.at("month_13")[0]["message"], "the record date 2004-13-01 is not a date");
  for (const auto& [folder, found] : fixture.Findings()) EXPECT_EQ(found, Json::array()) << folder;
}

TEST(Audit, GhostJumpIsAStepFarBeyondTheMedian) {
  struct Case {
    const char* folder;
    std::vector<GhostSample> ghost;
    std::optional<int16_t> ghost_word;  // claims more samples than the file holds
    Json expected;                      // ghost-jump fields, or null
  };
  const std::vector<Case> cases = {
      {"even", StraightGhost(300, 1), {}, nullptr},
      {"teleport", StraightGhost(300, 1, 10, 151, 100), {}, {{"sample", 151}, {"distance", 100.0}}},
      {"eight_medians", StraightGhost(100, 3, 10, 50, 24), {}, nullptr},
      {"over_eight_medians",
       StraightGhost(100, 3, 10, 50, 25),
       {},
       {{"sample", 50}, {"distance", 25.0}}},
      {"below_floor", StraightGhost(300, 1, 10, 80, 20), {}, nullptr},
      {"cut_off", StraightGhost(150, 1, 10, 120, 60), 2000, {{"sample", 120}, {"distance", 60.0}}},
  };
  std::vector<FixtureEntry> entries;
  for (const Case& c : cases) {
    TrackFileContent lap = Lap(c.folder);
    lap.ghost = c.ghost;
    lap.ghost_word = c.ghost_word;
    entries.push_back({c.folder, lap});
  }
  const auto findings = Fixture(kReferenceCar, entries).Findings();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    Json jumps = Json::array();
    for (const Json& finding : findings.at(c.folder)) {
      if (finding["code"] == "ghost-jump")
        jumps.push_back({{"sample", finding["sample"]}, {"distance", finding["distance"]}});
    }
    EXPECT_EQ(jumps, c.expected.is_null() ? Json::array() : Json::array({c.expected}));
  }
  EXPECT_EQ(findings.at("teleport")[0]["message"],
            "the ghost jumps 100.0 pixels at sample 151 (its median step is 1.0)");
  EXPECT_EQ(Codes(findings.at("cut_off")), Json({"track-damaged", "ghost-jump"}));
  EXPECT_EQ(findings.at("cut_off")[0]["result_kept"], true);
}

TEST(Audit, MissingAndBrokenFilesAreFindings) {
  TrackFileContent damaged = Lap("Bert");
  damaged.fixed_size = -100;  // the record block the header points to lies outside the data
  const Fixture fixture(kReferenceCar, {{"anna", Lap("Anna"), Screen::Broken},
                                        {"bert", damaged},
                                        {"cleo", std::nullopt, Screen::None, false}});
  const auto findings = fixture.Findings();
  EXPECT_EQ(findings.at("anna"), Json::parse(R"([{"code": "screen-unreadable",
      "message": "the screen file screen.jpg cannot be decoded"}])"));
  EXPECT_EQ(findings.at("bert"), Json::parse(R"([{"code": "track-damaged",
      "message": "the track file eichwald.trk points outside its data, so it gives no result",
      "result_kept": false}])"));
  EXPECT_EQ(Codes(findings.at("cleo")), Json({"no-track", "no-screen", "no-game"}));
}

}  // namespace
}  // namespace hl::testing
