// The parts behind the server's storage, one by one: the run queue, the
// version store with its recovery at start, the ledger, and the lock on the
// folders.

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "server/entry_commit.h"
#include "server/run_queue.h"
#include "server/state_lock.h"
#include "server/version_store.h"
#include "tests/support/temp_dir.h"

namespace hl::server {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

TEST(StorageParts, RunQueueRunsRequestsMadeDuringARunOnceAfterIt) {
  std::atomic<int> runs{0};
  std::atomic<bool> release{false};
  RunQueue queue([&] {
    ++runs;
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  });
  queue.Start();
  queue.Request();
  while (runs == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_FALSE(queue.RunAwaited());
  for (int i = 0; i < 5; ++i) queue.Request();  // while the first run is under way
  EXPECT_TRUE(queue.RunAwaited()) << "the run under way may give up what the next one redoes";
  std::thread releaser([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    release = true;
  });
  queue.RequestAndWait();  // a run that began after this call is over
  releaser.join();
  EXPECT_EQ(runs, 2) << "the five requests and the waiting one share the second run";
  queue.RequestAndWait();
  EXPECT_EQ(runs, 3);
  EXPECT_FALSE(queue.RunAwaited());
  queue.Stop();
  EXPECT_TRUE(queue.RunAwaited());
  queue.Request();
  queue.RequestAndWait();  // returns once stopped, without a run
  EXPECT_EQ(runs, 3);
}

struct Folders {
  TempDir dir;
  std::string base = dir.MakeDir("base");
  StateFolders folders{base, dir.Path() + "state/"};
};

struct Upload {
  std::string staging;
  StoredFile file;
};

// `text` staged as the one file of an upload.
Upload Staged(const StateFolders& folders, const std::string& text) {
  const std::string staging = *folders.NewStagingFolder();
  StagedFile file;
  EXPECT_TRUE(file.Open(staging + "/eichwald.trk"));
  EXPECT_TRUE(file.Append(text.data(), text.size()));
  EXPECT_TRUE(file.Finish());
  return {staging, {FileField::kTrack, "eichwald.trk", text.size(), file.Sha256Hex()}};
}

VersionRow Row(const std::string& entry, int64_t version, const Upload& upload) {
  return {entry, version, "2026-12-24T17:00:00Z", {upload.file}, {}, {}};
}

std::string Text(const std::string& path) {
  std::ifstream in(path);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(StorageParts, RecoveryCompletesACommitUnderWayAndDropsUnrecordedVersions) {
  Folders f;
  ASSERT_TRUE(f.folders.Prepare());
  auto store = VersionStore::Open(f.folders.Database());
  ASSERT_TRUE(store);
  // Version 1 kept and recorded, the server gone before it was installed.
  const Upload one = Staged(f.folders, "lap one");
  ASSERT_TRUE(f.folders.KeepVersion(one.staging, "anna", 1));
  ASSERT_TRUE((*store)->AddVersion(Row("anna", 1, one)));
  // Version 2 kept, never recorded: never answered.
  ASSERT_TRUE(f.folders.KeepVersion(Staged(f.folders, "lap two").staging, "anna", 2));
  // An upload still arriving.
  Staged(f.folders, "half a lap");

  ASSERT_TRUE(f.folders.Recover(**store));
  EXPECT_EQ(Text(f.base + "anna/eichwald.trk"), "lap one");
  EXPECT_TRUE((*store)->CommitsUnderWay().empty());
  EXPECT_EQ(f.folders.KeptVersions("anna"), std::vector<int64_t>{1});
  EXPECT_TRUE(fs::is_empty(f.folders.Staging()));
  // The entry folder shares the version's file; no second copy.
  EXPECT_EQ(fs::hard_link_count(f.base + "anna/eichwald.trk"), 2u);
  EXPECT_EQ((*store)->NextVersion("anna").value_or(0), 2);

  // A version dropped again (a commit rolled back) leaves neither row nor files.
  const Upload two = Staged(f.folders, "lap two");
  ASSERT_TRUE(f.folders.KeepVersion(two.staging, "anna", 2));
  ASSERT_TRUE((*store)->AddVersion(Row("anna", 2, two)));
  ASSERT_TRUE((*store)->DropVersion("anna", 2));
  f.folders.DropVersion("anna", 2);
  EXPECT_FALSE((*store)->HasVersion("anna", 2));
  EXPECT_TRUE((*store)->CommitsUnderWay().empty());
  EXPECT_EQ(f.folders.KeptVersions("anna"), std::vector<int64_t>{1});
  // The completed commit's upload is in the ledger; the one rolled back is not.
  const auto ledger = (*store)->LedgerSince(0);
  ASSERT_TRUE(ledger);
  ASSERT_EQ(ledger->size(), 1u);
  EXPECT_EQ(LedgerLine(ledger->front()),
            R"({"seq":1,"at":"2026-12-24T17:00:00Z","actor":"entrant","entry":"anna",)"
            R"("version":1,"action":"upload","old":null,"new":null,"reason":""})");
}

TEST(StorageParts, TheLedgerIsAppendOnlyAndReadOnFromASeq) {
  Folders f;
  ASSERT_TRUE(f.folders.Prepare());
  auto store = VersionStore::Open(f.folders.Database());
  ASSERT_TRUE(store);
  for (const char* actor : {"jo", "kim", "jo"}) {
    ASSERT_TRUE((*store)->AddToLedger({.seq = 0,
                                       .at = "2026-12-24T18:00:00Z",
                                       .actor = actor,
                                       .entry = "anna",
                                       .version = std::nullopt,
                                       .action = "penalty",
                                       .old_value = nullptr,
                                       .new_value = 6000,
                                       .reason = "cut \"corner\""}));
  }
  const auto since = (*store)->LedgerSince(1);
  ASSERT_TRUE(since);
  ASSERT_EQ(since->size(), 2u);
  EXPECT_EQ((*since)[0].seq, 2);
  EXPECT_EQ((*since)[0].actor, "kim");
  EXPECT_EQ((*since)[1].new_value, 6000);
  EXPECT_EQ((*since)[1].reason, "cut \"corner\"");

  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(f.folders.Database().c_str(), &db), SQLITE_OK);
  for (const char* change : {"UPDATE ledger SET actor = 'mallory'", "DELETE FROM ledger"}) {
    SCOPED_TRACE(change);
    EXPECT_NE(sqlite3_exec(db, change, nullptr, nullptr, nullptr), SQLITE_OK);
  }
  sqlite3_close(db);
  EXPECT_EQ((*store)->LedgerSince(0).value_or(std::vector<LedgerRecord>{}).size(), 3u);
  EXPECT_EQ((*store)->LedgerOf("anna")->at(0).actor, "jo");
}

TEST(StorageParts, OneLockHolderPerStateFolderAndPerBaseFolder) {
  Folders f;
  ASSERT_TRUE(f.folders.Prepare());
  const std::string other_state = f.dir.MakeDir("other");
  {
    auto held = StateLock::Take(f.base, f.folders.State());
    ASSERT_TRUE(held);
    held->Describe("process 7, listening on http://127.0.0.1:9/");
    const auto same_state = StateLock::Take(f.dir.MakeDir("base2"), f.folders.State());
    ASSERT_FALSE(same_state);
    EXPECT_NE(same_state.error().what.find("process 7, listening on http://127.0.0.1:9/"),
              std::string::npos)
        << same_state.error().what;
    const auto same_base = StateLock::Take(f.base, other_state);
    ASSERT_FALSE(same_base);
    EXPECT_NE(same_base.error().what.find("process " + std::to_string(getpid())), std::string::npos)
        << same_base.error().what;
    EXPECT_TRUE(fs::is_empty(f.base)) << "nothing is written into the base folder";
  }
  EXPECT_TRUE(StateLock::Take(f.base, f.folders.State()));
  EXPECT_TRUE(StateLock::Take(f.base, other_state));
}

}  // namespace
}  // namespace hl::server
