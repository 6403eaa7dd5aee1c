// Many entrants at once, one entrant many times at once, and a server
// killed in the middle of a burst: every upload answered 200 is a version
// and in the ledger, and every entry folder holds the files of exactly one
// version.

#include <atomic>
#include <filesystem>
#include <mutex>
#include <set>
#include <thread>

#include <gtest/gtest.h>

#include "tests/server/upload_fixture.h"

namespace hl::testing {
namespace {

using Json = nlohmann::json;

struct Accepted {
  std::string entry;
  int64_t version = 0;
};

// `count` uploads, `parallel` at a time; upload i is entrant entries[i % size].
std::vector<Accepted> UploadBurst(const OnlineCompetition& online, const std::string& url,
                                  const std::map<std::string, std::string>& tokens,
                                  const std::vector<std::string>& entries, int count, int parallel,
                                  std::vector<int>* statuses = nullptr) {
  std::atomic<int> next{0};
  std::mutex mutex;
  std::vector<Accepted> accepted;
  std::vector<std::string> samples;  // those with a track file, which every upload needs
  for (const std::string& sample : online.samples) {
    if (std::filesystem::exists(online.source + sample + "/eichwald.trk"))
      samples.push_back(sample);
  }
  std::vector<std::thread> clients;
  for (int c = 0; c < parallel; ++c) {
    clients.emplace_back([&] {
      for (int i = next++; i < count; i = next++) {
        const std::string& entry = entries[i % entries.size()];
        const std::string& sample = samples[i % samples.size()];
        const HttpAnswer answer =
            Curl(online.UploadArgs(sample, tokens.at(entry)), url + "/api/upload");
        std::lock_guard lock(mutex);
        if (statuses) statuses->push_back(answer.status);
        if (answer.status == 200)
          accepted.push_back({entry, Json::parse(answer.body)["version"].get<int64_t>()});
      }
    });
  }
  for (std::thread& client : clients) client.join();
  return accepted;
}

std::vector<std::string> EntryNames(int count) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) names.push_back("e" + std::to_string(100 + i));
  return names;
}

// Every accepted upload is listed, and the folder holds the last version.
void ExpectWholeAndKept(const OnlineCompetition& online, const std::string& url,
                        const std::map<std::string, std::string>& tokens,
                        const std::vector<Accepted>& accepted) {
  for (const auto& [entry, token] : tokens) {
    const HttpAnswer answer = Curl({"-H", "Authorization: Bearer " + token}, url + "/api/entry");
    ASSERT_EQ(answer.status, 200);
    const Json versions = Json::parse(answer.body)["versions"];
    for (const Accepted& upload : accepted) {
      if (upload.entry != entry) continue;
      EXPECT_TRUE(upload.version >= 1 && upload.version <= static_cast<int64_t>(versions.size()))
          << entry << " lost version " << upload.version;
    }
    if (!versions.empty()) {
      EXPECT_TRUE(FolderHoldsVersion(online.base + entry, versions.back())) << entry;
    }
  }
}

TEST(ServerLoad, ManyEntrantsAndOneEntrantManyTimesAtOnce) {
  OnlineCompetition online;
  const std::vector<std::string> entrants = EntryNames(40);
  const auto tokens = IssueTokens(online.base, online.state, entrants);
  ServerProcess server(online.base, online.state, {"--rate-limit", "1000"});

  std::vector<int> statuses;
  const auto accepted = UploadBurst(online, server.Url(), tokens, entrants, 40, 8, &statuses);
  EXPECT_EQ(accepted.size(), 40u);
  const std::vector<std::string> one = {entrants[0]};
  const auto again = UploadBurst(online, server.Url(), tokens, one, 10, 10);
  ASSERT_EQ(again.size(), 10u);
  std::vector<int64_t> versions;
  for (const Accepted& upload : again) versions.push_back(upload.version);
  std::sort(versions.begin(), versions.end());
  EXPECT_EQ(versions.front(), 2);
  EXPECT_EQ(versions.back(), 11);
  EXPECT_EQ(std::unique(versions.begin(), versions.end()), versions.end());
  ExpectWholeAndKept(online, server.Url(), tokens, accepted);
  EXPECT_EQ(server.Stop(), 0);
}

TEST(ServerLoad, KilledMidBurstLosesNoAcceptedUpload) {
  OnlineCompetition online;
  const std::vector<std::string> entrants = EntryNames(6);
  const auto tokens = IssueTokens(online.base, online.state, entrants);
  std::vector<Accepted> accepted;
  {
    ServerProcess server(online.base, online.state, {"--rate-limit", "1000"});
    std::thread killer([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(2500));
      server.KillHard();
    });
    accepted = UploadBurst(online, server.Url(), tokens, entrants, 60, 6);
    killer.join();
  }
  EXPECT_FALSE(accepted.empty());
  ServerProcess restarted(online.base, online.state);
  ExpectWholeAndKept(online, restarted.Url(), tokens, accepted);
  // Every entrant uploaded at least once before the kill, or the folder is empty.
  size_t entries_with_versions = 0;
  for (const std::string& entry : entrants) {
    entries_with_versions += !std::filesystem::is_empty(online.base + entry);
  }
  WaitForPage(restarted.Url(), entries_with_versions);
  EXPECT_EQ(restarted.Stop(), 0);
  // Every accepted upload is in the ledger, once.
  std::set<std::pair<std::string, int64_t>> recorded;
  for (const auto& line : LedgerLines(online.base, online.state)) {
    EXPECT_TRUE(recorded.emplace(line["entry"], line["version"]).second) << line.dump();
  }
  for (const Accepted& upload : accepted)
    EXPECT_TRUE(recorded.contains({upload.entry, upload.version})) << upload.entry;
}

TEST(ServerLoad, StopFinishesTheUploadsInFlight) {
  OnlineCompetition online;
  const std::vector<std::string> entrants = EntryNames(4);
  const auto tokens = IssueTokens(online.base, online.state, entrants);
  std::vector<int> statuses;
  std::vector<Accepted> accepted;
  int stopped = -1;
  {
    ServerProcess server(online.base, online.state, {"--rate-limit", "1000"});
    std::thread stopper([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(1500));
      stopped = server.Stop();
    });
    accepted = UploadBurst(online, server.Url(), tokens, entrants, 40, 4, &statuses);
    stopper.join();
  }
  EXPECT_EQ(stopped, 0);
  EXPECT_FALSE(accepted.empty());
  // Answered, refused as the server stops, or never connected: never cut off.
  for (int status : statuses) EXPECT_TRUE(status == 200 || status == 503 || status == 0) << status;
  ServerProcess restarted(online.base, online.state);
  ExpectWholeAndKept(online, restarted.Url(), tokens, accepted);
  EXPECT_EQ(restarted.Stop(), 0);
}

}  // namespace
}  // namespace hl::testing
