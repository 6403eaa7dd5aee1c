// What organisers decide through the review desk: a penalty lands in the
// evaluation file with who decided it and in the ledger, a later one keeps
// the earlier, a withdrawal leaves a batch run no penalty to apply, two
// organisers at once are both kept in order, and every request the desk
// cannot keep leaves the file as it was.

#include "server/review_desk.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "evaluation/evaluation_file.h"
#include "server/access_token.h"
#include "server/closing_rules.h"
#include "server/entry_commit.h"
#include "server/live_results.h"
#include "server/version_store.h"
#include "tests/server/upload_fixture.h"

namespace hl::server {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

std::chrono::system_clock::time_point Noon() {
  return std::chrono::sys_days(std::chrono::year{2026} / 12 / 24) + std::chrono::hours(12);
}

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::unique_ptr<VersionStore> OpenStore(const StateFolders& folders) {
  EXPECT_TRUE(folders.Prepare());
  auto store = VersionStore::Open(folders.Database());
  EXPECT_TRUE(store);
  return store ? std::move(*store) : nullptr;
}

// The sample competition served from its own folder, its verdicts evaluated.
struct Desk {
  explicit Desk(bool keeps_decisions = true)
      : file(keeps_decisions ? online.source + "evaluation.toml" : "") {
    live.Start();
    live.EvaluateNow();
  }
  ~Desk() { live.Stop(); }

  // An upload of `entry` as the server records it.
  void Uploaded(const std::string& entry, int64_t version) {
    ASSERT_TRUE(store->AddVersion({entry, version, "2026-12-24T11:00:00Z", {}, {}, {}}));
    ASSERT_TRUE(store->EndCommit(entry));
  }
  std::vector<LedgerRecord> Ledger() {
    return desk.LedgerSince(0).value_or(std::vector<LedgerRecord>{});
  }

  testing::OnlineCompetition online{4};
  std::string file;
  StateFolders folders{online.source, online.state};
  std::unique_ptr<VersionStore> store = OpenStore(folders);
  std::ostringstream log;
  ClosingRules rules{file, online.source, std::nullopt, log};
  LiveResults live{folders, rules, log};
  ReviewDesk desk{online.source, file, *store, live, Noon};
};

// The penalty time a batch run applies to the entry; null for none.
Json PenaltyTime(const std::string& base, const std::string& name) {
  const Json batch = testing::BatchJson(base);
  for (const Json& entry : batch["entries"]) {
    if (entry["entry"] == name)
      return entry["penalty"].is_object() ? entry["penalty"]["time"] : Json();
  }
  ADD_FAILURE() << "no entry " << name;
  return nullptr;
}

TEST(ReviewDesk, PenaltiesAndAWithdrawalLandInTheFileAndTheLedger) {
  Desk d;
  const std::string entry = d.online.samples.front();
  d.Uploaded(entry, 1);

  // Two organisers at once: both kept, one after the other.
  DeskAnswer jo, kim;
  std::thread first([&] { jo = d.desk.Penalise("jo", entry, "6000", "modified car"); });
  std::thread second([&] { kim = d.desk.Penalise("kim", entry, "5000", "no screen shot"); });
  first.join();
  second.join();
  ASSERT_EQ(jo.status, 200u) << jo.message;
  ASSERT_EQ(kim.status, 200u) << kim.message;
  std::vector<LedgerRecord> ledger = d.Ledger();
  ASSERT_EQ(ledger.size(), 3u);
  const LedgerRecord& earlier = ledger[1];
  const LedgerRecord& later = ledger[2];
  EXPECT_EQ(earlier.old_value, nullptr);
  EXPECT_EQ(later.old_value, earlier.new_value);
  EXPECT_EQ(later.version, 1);
  EXPECT_EQ(later.at, "2026-12-24T12:00:00Z");
  auto saved = evaluation::ReadEvaluationFile(d.file, d.online.source, false);
  ASSERT_TRUE(saved) << saved.error().Describe();
  ASSERT_EQ(saved->penalties.size(), 1u);
  EXPECT_EQ(saved->penalties[0].by, later.actor);
  EXPECT_EQ(saved->penalties[0].reason, later.reason);
  EXPECT_EQ(saved->penalties[0].time, later.new_value.dump());
  ASSERT_EQ(saved->penalties[0].earlier.size(), 1u);
  EXPECT_EQ(saved->penalties[0].earlier[0].by, earlier.actor);
  EXPECT_EQ(PenaltyTime(d.online.source, entry), later.new_value);

  const DeskAnswer withdrawn = d.desk.Withdraw("jo", entry, "the screen shot was there");
  ASSERT_EQ(withdrawn.status, 200u) << withdrawn.message;
  saved = evaluation::ReadEvaluationFile(d.file, d.online.source, false);
  ASSERT_TRUE(saved) << saved.error().Describe();
  EXPECT_TRUE(saved->penalties.empty());
  ASSERT_EQ(saved->withdrawn.size(), 1u);
  EXPECT_EQ(saved->withdrawn[0].earlier.size(), 2u);
  EXPECT_EQ(PenaltyTime(d.online.source, entry), nullptr);
  ledger = d.Ledger();
  ASSERT_EQ(ledger.size(), 4u);
  EXPECT_EQ(LedgerLine(ledger[3]),
            R"({"seq":4,"at":"2026-12-24T12:00:00Z","actor":"jo","entry":")" + entry +
                R"(","version":1,"action":"withdraw","old":)" + later.new_value.dump() +
                R"(,"new":null,"reason":"the screen shot was there"})");

  const auto facts = d.desk.EntryFacts(entry);
  ASSERT_TRUE(facts);
  EXPECT_EQ((*facts)["versions"].size(), 1u);
  ASSERT_EQ((*facts)["decisions"].size(), 3u);
  EXPECT_EQ((*facts)["decisions"][2]["action"], "withdraw");
  EXPECT_EQ((*facts)["decisions"][2]["time"], later.new_value);
  EXPECT_EQ((*facts)["verdict"]["entry"], entry);
  const Json shown = d.desk.EntrantDecisions(entry);
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[2], Json({{"at", "2026-12-24T12:00:00Z"},
                            {"action", "withdraw"},
                            {"time", later.new_value},
                            {"reason", "the screen shot was there"}}));
}

TEST(ReviewDesk, WhatCannotBeKeptIsRefusedAndTheFileLeftAsItWas) {
  Desk d;
  const std::string entry = d.online.samples.front();
  const std::string kept = "# the organiser's\n[[penalty]]\nentry = \"" + entry + "\"\ntime = 1\n";
  std::ofstream(d.file) << kept;
  d.Uploaded(entry, 1);
  struct Case {
    const char* what;
    std::function<DeskAnswer()> decide;
    unsigned status;
  };
  const std::vector<Case> cases = {
      {"letters", [&] { return d.desk.Penalise("jo", entry, "60s", "late"); }, 400},
      {"six digits", [&] { return d.desk.Penalise("jo", entry, "100000", "late"); }, 400},
      {"no time", [&] { return d.desk.Penalise("jo", entry, "", "late"); }, 400},
      {"negative", [&] { return d.desk.Penalise("jo", entry, "-5", "late"); }, 400},
      {"no reason", [&] { return d.desk.Penalise("jo", entry, "6000", " \n"); }, 400},
      {"control", [&] { return d.desk.Penalise("jo", entry, "6000", "a\x01"); }, 400},
      {"not UTF-8", [&] { return d.desk.Withdraw("jo", entry, "\xff"); }, 400},
      {"no entry", [&] { return d.desk.Penalise("jo", "nobody", "6000", "late"); }, 404},
      {"outside", [&] { return d.desk.Withdraw("jo", "..", "late"); }, 404},
      {"no version", [&] { return d.desk.LookedAt("jo", entry, 2); }, 400},
      {"unknown", [&] { return d.desk.LookedAt("jo", "nobody", 1); }, 404},
  };
  for (const Case& refused : cases) {
    SCOPED_TRACE(refused.what);
    const DeskAnswer answer = refused.decide();
    EXPECT_EQ(answer.status, refused.status);
    EXPECT_FALSE(answer.message.empty());
  }
  EXPECT_EQ(d.Ledger().size(), 1u) << "the upload alone";

  const std::string other = d.online.samples.back();
  EXPECT_EQ(d.desk.Withdraw("jo", other, "nothing to take back").status, 409u);
  EXPECT_EQ(Bytes(d.file), kept);
  const std::string broken = "[[penalty]\nentry = \"" + entry + "\"\n";
  std::ofstream(d.file) << broken;
  EXPECT_EQ(d.desk.Penalise("jo", entry, "6000", "late").status, 409u);
  EXPECT_EQ(d.desk.Withdraw("jo", entry, "late").status, 409u);
  EXPECT_EQ(Bytes(d.file), broken);
  EXPECT_EQ(d.Ledger().size(), 1u);

  Desk without(false);
  EXPECT_EQ(without.desk.Penalise("jo", entry, "6000", "late").status, 409u);
  EXPECT_FALSE(fs::exists(without.online.source + "evaluation.toml"));
}

TEST(ReviewDesk, TheQueueShowsWhatNobodyHasLookedAtFirst) {
  Desk d;
  std::vector<std::string> entries = d.online.samples;
  std::sort(entries.begin(), entries.end());
  ASSERT_GE(entries.size(), 3u);
  for (const std::string& entry : entries) d.Uploaded(entry, 1);
  ASSERT_EQ(d.desk.LookedAt("jo", entries[0], 1).status, 200u);
  ASSERT_EQ(d.desk.Penalise("kim", entries[1], "6000", "modified car").status, 200u);
  d.Uploaded(entries[0], 2);  // a new version: to be looked at again

  const std::vector<QueueRow> queue = d.desk.Queue();
  ASSERT_EQ(queue.size(), entries.size());
  EXPECT_EQ(queue.back().entry, entries[1]);
  EXPECT_TRUE(queue.back().looked_at);
  EXPECT_EQ(queue.back().penalty, "6000");
  EXPECT_EQ(queue.front().entry, entries[0]);
  EXPECT_FALSE(queue.front().looked_at);
  EXPECT_EQ(queue.front().version, 2);
  EXPECT_EQ(queue.front().received, "2026-12-24T11:00:00Z");
  for (const QueueRow& row : queue) {
    EXPECT_EQ(row.looked_at, row.entry == entries[1]) << row.entry;
  }
}

TEST(ReviewDesk, OrganisersAreKnownByTheirOwnTokensAlone) {
  Desk d;
  ASSERT_TRUE(d.store->SetOrganiserToken("jo", TokenHash("organiser-token")));
  ASSERT_TRUE(d.store->SetToken("jo", TokenHash("entrant-token")));
  EXPECT_EQ(d.desk.OrganiserOfToken("organiser-token"), "jo");
  EXPECT_EQ(d.desk.OrganiserOfToken("entrant-token"), std::nullopt);
  EXPECT_EQ(d.store->EntryOfToken(TokenHash("organiser-token")), std::nullopt);
}

}  // namespace
}  // namespace hl::server
