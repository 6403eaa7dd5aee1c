// Re-evaluation as a set on the sample competition, one of whose laps was
// recorded a month late: a proposed period lists exactly that entry's
// change while the public page and the evaluation file stay byte for byte
// as they were; applying writes the proposal and makes it public with one
// ledger record; discarding or a stale preview changes nothing. Hand edits
// of the file are in the ledger once each, the server's own writes never.

#include "server/reevaluation.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "server/closing_rules.h"
#include "server/review_desk.h"
#include "tests/server/upload_fixture.h"
#include "toolkit/files/sha256.h"

namespace hl::server {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

constexpr const char* kKept = "# the organiser's cup\n";
constexpr const char* kJune = "# the organiser's cup\nperiod = \"2004-06-01..2004-06-30\"\n";

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::string Write(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
  return path;
}

// Moves the record date of the entry's lap from June to July 2004; the
// sample records every lap on 2004-06-12.
void RecordedInJuly(const std::string& track_file) {
  std::string bytes = Bytes(track_file);
  const std::string june_12 = {'\xd4', '\x07', '\x06', '\x00'};
  const size_t at = bytes.find(june_12);
  ASSERT_NE(at, std::string::npos);
  ASSERT_EQ(bytes.find(june_12, at + 1), std::string::npos);
  bytes[at + 2] = '\x07';
  fs::permissions(track_file, fs::perms::owner_write, fs::perm_options::add);
  Write(track_file, bytes);
}

std::unique_ptr<VersionStore> OpenStore(const StateFolders& folders) {
  EXPECT_TRUE(folders.Prepare());
  auto store = VersionStore::Open(folders.Database());
  EXPECT_TRUE(store);
  return store ? std::move(*store) : nullptr;
}

// The first entry of the sample with a lap, moved to July.
std::string LateEntry(const testing::OnlineCompetition& online) {
  for (const std::string& entry : online.samples) {
    for (const auto& item : fs::directory_iterator(online.source + entry)) {
      if (item.path().extension() == ".trk") {
        RecordedInJuly(item.path().string());
        return entry;
      }
    }
  }
  ADD_FAILURE() << "no lap in the sample";
  return "";
}

// The sample served from its own folder with an evaluation file, watched as
// the server watches it.
struct Served {
  Served() {
    rules.OnChange([this] { edits.Look(); });
    live.Start();
    live.EvaluateNow();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (live.PageFolder().empty() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ~Served() { live.Stop(); }

  std::string PublicJson() const { return Bytes(live.PageFolder() + "results.json"); }
  std::vector<LedgerRecord> Ledger(const std::string& action) {
    std::vector<LedgerRecord> records = store->LedgerSince(0).value_or(std::vector<LedgerRecord>{});
    std::erase_if(records, [&](const LedgerRecord& record) { return record.action != action; });
    return records;
  }
  // Waits until `done` holds, at most `seconds`.
  template <typename Done>
  bool WaitFor(Done done, int seconds = 30) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
      if (std::chrono::steady_clock::now() >= deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
  }

  testing::OnlineCompetition online{4};
  std::string late = LateEntry(online);
  std::string file = Write(online.source + "evaluation.toml", kKept);
  StateFolders folders{online.source, online.state};
  std::unique_ptr<VersionStore> store = OpenStore(folders);
  std::ostringstream log;
  ClosingRules rules{file, online.source, std::nullopt, log};
  EvaluationEdits edits{file, *store, log};
  LiveResults live{folders, rules, log};
  ReviewDesk desk = ReviewDesk(online.source, file, *store, live, std::chrono::system_clock::now,
                               nullptr, &edits);
  Reevaluations reevaluations{folders, file, *store, live, edits};
};

std::string FindingsOf(const std::string& results_json, const std::string& entry) {
  const Json results = Json::parse(results_json, nullptr, false);
  if (results.is_discarded()) return "";
  for (const Json& listed : results["entries"]) {
    if (listed["entry"] == entry) return listed["findings"].dump();
  }
  return "";
}

TEST(Reevaluation, APreviewChangesNothingUntilAppliedThenOneRecordMakesItPublic) {
  Served s;
  const std::string page_before = s.PublicJson();
  ASSERT_EQ(FindingsOf(page_before, s.late), "[]");

  const ReevaluationAnswer refused = s.reevaluations.Preview("jo", "period = \"2004-06-31\"\n");
  EXPECT_EQ(refused.status, 400u);
  EXPECT_NE(refused.message.find("line 1"), std::string::npos) << refused.message;

  const ReevaluationAnswer preview = s.reevaluations.Preview("jo", kJune);
  ASSERT_EQ(preview.status, 200u) << preview.message;
  const Json& changes = preview.body["changes"];
  ASSERT_EQ(changes.size(), 1u) << changes;
  EXPECT_EQ(changes[0]["entry"], s.late);
  EXPECT_EQ(changes[0]["old"]["findings"], Json::array());
  EXPECT_EQ(changes[0]["new"]["findings"][0]["code"], "outside-period");
  EXPECT_EQ(changes[0]["new"]["place"], changes[0]["old"]["place"]);
  EXPECT_EQ(Bytes(s.file), kKept);
  EXPECT_EQ(s.PublicJson(), page_before);

  const std::string id = preview.body["id"];
  EXPECT_EQ(s.reevaluations.Apply("jo", id, " ").status, 400u);
  EXPECT_EQ(s.reevaluations.Apply("jo", "no-such-id", "why").status, 404u);
  EXPECT_EQ(Bytes(s.file), kKept);

  const ReevaluationAnswer applied = s.reevaluations.Apply("jo", id, "the period was missing");
  ASSERT_EQ(applied.status, 200u) << applied.message;
  EXPECT_EQ(Bytes(s.file), kJune);
  EXPECT_TRUE(s.WaitFor([&] { return FindingsOf(s.PublicJson(), s.late) != "[]"; }));
  EXPECT_NE(FindingsOf(s.PublicJson(), s.late).find("outside-period"), std::string::npos);
  EXPECT_EQ(s.reevaluations.Apply("jo", id, "again").status, 404u);

  const auto records = s.Ledger("reevaluate");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].actor, "jo");
  EXPECT_EQ(records[0].reason, "the period was missing");
  EXPECT_EQ(records[0].new_value["changes"].size(), 1u);
  EXPECT_EQ(records[0].new_value["changes"][0]["new"]["findings"], Json::array({"outside-period"}));
  EXPECT_NE(records[0].old_value, records[0].new_value["evaluation"]);
  EXPECT_EQ(s.Ledger("reevaluate-previewed").size(), 1u);
  // The watcher has seen the written file by the time the page followed;
  // one more look makes sure.
  s.edits.Look();
  EXPECT_TRUE(s.Ledger("evaluation-changed").empty());
}

TEST(Reevaluation, DiscardedOrStalePreviewsLeaveTheFileAndHandEditsAreRecordedOnce) {
  Served s;
  const std::string page_before = s.PublicJson();
  const ReevaluationAnswer discarded = s.reevaluations.Preview("jo", kJune);
  ASSERT_EQ(discarded.status, 200u) << discarded.message;
  const std::string discarded_id = discarded.body["id"];
  EXPECT_EQ(s.reevaluations.Discard("kim", discarded_id, "").status, 200u);
  EXPECT_EQ(s.reevaluations.Apply("jo", discarded_id, "too late").status, 404u);
  EXPECT_EQ(s.Ledger("reevaluate-discarded").size(), 1u);

  const ReevaluationAnswer stale = s.reevaluations.Preview("jo", std::nullopt);
  ASSERT_EQ(stale.status, 200u) << stale.message;
  EXPECT_EQ(stale.body["changes"], Json::array()) << "the folder as it is changes nothing";
  const Json before = Json(files::Sha256Text(*files::Sha256OfFile(s.file)));
  const std::string edited = std::string(kKept) + "# edited by hand\n";
  Write(s.file, edited);
  ASSERT_TRUE(s.WaitFor([&] { return !s.Ledger("evaluation-changed").empty(); }));
  const auto hand = s.Ledger("evaluation-changed");
  EXPECT_EQ(hand[0].actor, "file");
  EXPECT_EQ(hand[0].old_value, before);
  EXPECT_EQ(hand[0].new_value, Json(files::Sha256Text(*files::Sha256OfFile(s.file))));

  const ReevaluationAnswer refused = s.reevaluations.Apply("jo", stale.body["id"], "upgrade");
  EXPECT_EQ(refused.status, 409u);
  EXPECT_NE(refused.message.find("stale"), std::string::npos) << refused.message;
  EXPECT_TRUE(s.Ledger("reevaluate").empty());

  ASSERT_EQ(s.desk.Penalise("kim", s.late, "6000", "lap out of the period").status, 200u);
  EXPECT_TRUE(s.WaitFor([&] { return s.PublicJson() != page_before; }));
  s.edits.Look();
  EXPECT_EQ(s.Ledger("evaluation-changed").size(), 1u) << "the decision is no edit by hand";
  EXPECT_EQ(s.Ledger("penalty").size(), 1u);
}

}  // namespace
}  // namespace hl::server
