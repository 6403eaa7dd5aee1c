// What the server keeps: every answer's verdict is that of the version it
// names, nothing outside the entry folders is written, a failed commit
// leaves nothing, a track file without a lap is no version, one server per
// folder, the entrant's storage capped and the state private.

#include <sqlite3.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <thread>

#include <gtest/gtest.h>

#include "tests/server/upload_fixture.h"

namespace hl::testing {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The samples' track files, each a different lap.
std::vector<std::string> TrackFiles(const OnlineCompetition& online) {
  std::vector<std::string> tracks;
  for (const std::string& sample : online.samples) {
    if (fs::exists(online.source + sample + "/eichwald.trk"))
      tracks.push_back(online.source + sample + "/eichwald.trk");
  }
  return tracks;
}

std::vector<std::string> TrackUpload(const std::string& token, const std::string& track,
                                     const std::string& name = "eichwald.trk") {
  return {"-H", "Authorization: Bearer " + token, "-F", "track=@" + track + ";filename=" + name};
}

// `hotlap-eval ARGS...`: exit status and standard error.
std::pair<int, std::string> RunWithErrors(const std::vector<std::string>& args) {
  std::string command = HotlapProgram();
  for (const std::string& arg : args) command += " '" + arg + "'";
  FILE* pipe = popen((command + " 2>&1 >/dev/null").c_str(), "r");
  std::string text;
  char buffer[4096];
  for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, got);
  const int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text};
}

// Every folder and file below `folder` whose mode is not `expected` gives.
std::vector<std::string> WrongModes(const std::string& folder,
                                    const std::function<mode_t(const fs::path&, bool)>& expected) {
  std::vector<std::string> wrong;
  for (const auto& item : fs::recursive_directory_iterator(folder)) {
    struct stat status {};
    lstat(item.path().c_str(), &status);
    const bool is_folder = S_ISDIR(status.st_mode);
    if ((status.st_mode & 07777) != expected(item.path(), is_folder))
      wrong.push_back(item.path().string());
  }
  return wrong;
}

TEST(ServerStorage, EveryAnswerCarriesTheVerdictOfItsOwnVersion) {
  OnlineCompetition online(6);
  const auto tokens = IssueTokens(online.base, online.state, {"racer"});
  ServerProcess server(online.base, online.state, {"--rate-limit", "1000", "--keep-versions", "0"});
  // Each client sends the files of a sample entry with a track file.
  std::vector<std::string> samples;
  for (const std::string& sample : online.samples) {
    if (fs::exists(online.source + sample + "/eichwald.trk")) samples.push_back(sample);
  }
  ASSERT_GE(samples.size(), 3u);
  const size_t clients = std::min<size_t>(samples.size(), 4);
  struct Answered {
    std::string sample;
    Json answer;
  };
  std::vector<Answered> answers;
  std::mutex mutex;
  for (int round = 0; round < 3; ++round) {
    std::vector<std::thread> threads;
    for (size_t c = 0; c < clients; ++c) {
      threads.emplace_back([&, c] {
        const HttpAnswer got =
            Curl(online.UploadArgs(samples[c], tokens.at("racer")), server.Url() + "/api/upload");
        std::lock_guard lock(mutex);
        EXPECT_EQ(got.status, 200) << got.body;
        answers.push_back({samples[c], Json::parse(got.body, nullptr, false)});
      });
    }
    for (std::thread& thread : threads) thread.join();
  }
  TempDir check;
  for (const auto& [sample, answer] : answers) {
    const int64_t version = answer["version"].get<int64_t>();
    const std::string kept = online.state + "versions/racer/" + std::to_string(version) + "/racer";
    ASSERT_EQ(FolderContents(kept), FolderContents(online.source + sample))
        << "version " << version << " holds other files";
    // A folder holding exactly this version, evaluated as a batch run.
    const std::string base = check.MakeDir(std::to_string(version));
    fs::copy_file(online.base + "reference.car", base + "reference.car");
    fs::copy(kept, base + "racer");
    const Json batch = BatchJson(base);
    ASSERT_EQ(batch["entries"].size(), 1u);
    EXPECT_EQ(answer["verdict"], batch["entries"][0]) << "version " << version;
  }
  EXPECT_EQ(server.Stop(), 0);
}

TEST(ServerStorage, UploadsWriteOnlyTheirEntryFolderWithinTheQuotaAndTheStateIsPrivate) {
  OnlineCompetition online(2);
  std::ofstream(online.base + "rules.txt") << "the organiser's rules\n";
  const auto tokens = IssueTokens(online.base, online.state, {"racer"});
  const auto before = FolderContents(online.base);
  const std::string track = TrackFiles(online).front();
  const uint64_t track_size = fs::file_size(track);
  const std::string quota = std::to_string(track_size * 5 / 2);
  ServerProcess server(online.base, online.state,
                       {"--keep-versions", "2", "--entrant-quota", quota});
  // Named like the organiser's file: the report and chart are named after it.
  for (int upload = 1; upload <= 3; ++upload) {
    const HttpAnswer got =
        Curl(TrackUpload(tokens.at("racer"), track, "rules.trk"), server.Url() + "/api/upload");
    ASSERT_EQ(got.status, 200) << got.body;
  }
  WaitForPage(server.Url(), 1);
  auto after = FolderContents(online.base);
  EXPECT_EQ(after.at("racer/rules.trk"), Bytes(track));
  after.erase("racer/rules.trk");
  after.erase("racer/");  // made by the first accepted upload
  EXPECT_EQ(after, before);
  EXPECT_EQ(std::distance(fs::directory_iterator(online.state + "versions/racer"),
                          fs::directory_iterator()),
            2)
      << "only the newest two versions keep their files";

  // Over the quota: refused, and nothing of it kept.
  const HttpAnswer over =
      Curl({"-H", "Authorization: Bearer " + tokens.at("racer"), "-F", "track=@" + track, "-F",
            "game=@" + track + ";filename=big.gam", "-F", "screen=@" + track + ";filename=big.bmp"},
           server.Url() + "/api/upload");
  EXPECT_EQ(over.status, 413) << over.body;
  EXPECT_NE(over.body.find("an entry may store"), std::string::npos) << over.body;
  const Json history = Json::parse(
      Curl({"-H", "Authorization: Bearer " + tokens.at("racer")}, server.Url() + "/api/entry")
          .body);
  EXPECT_EQ(history["versions"].size(), 3u);
  EXPECT_TRUE(fs::is_empty(online.state + "staging"));

  // A version's files are shared with the entry folder (and the folder a
  // later version replaced), read-only.
  const auto in_versions = [&](const fs::path& path) {
    return path.string().starts_with(online.state + "versions/") ||
           path.string().starts_with(online.state + "replaced/");
  };
  EXPECT_EQ(WrongModes(online.state,
                       [&](const fs::path& path, bool folder) -> mode_t {
                         if (folder) return 0700;
                         return in_versions(path) ? 0444 : 0600;
                       }),
            std::vector<std::string>{});
  EXPECT_EQ(WrongModes(online.base + "racer", [](const fs::path&, bool) { return 0444; }),
            std::vector<std::string>{});
  struct stat entry_status {};
  stat((online.base + "racer").c_str(), &entry_status);
  EXPECT_EQ(entry_status.st_mode & 07777, 0755u);
  EXPECT_EQ(server.Stop(), 0);
}

// A commit that fails half-way leaves no row, no version folder and no
// debris, and the entrant's next upload is version 1.
TEST(ServerStorage, AFailedCommitLeavesNothingAndTheNextUploadWorks) {
  struct Case {
    std::string name;
    std::function<std::function<void()>(const std::string& state)> break_it;  // gives the repair
  };
  const Case cases[] = {
      {"the database busy past the timeout",
       [](const std::string& state) -> std::function<void()> {
         sqlite3* db = nullptr;
         sqlite3_open((state + "hotlap-eval.sqlite").c_str(), &db);
         EXPECT_EQ(sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
         return [db] {
           sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
           sqlite3_close(db);
         };
       }},
      {"a file where the new entry folder is made",
       [](const std::string& state) -> std::function<void()> {
         fs::rename(state + "swap", state + "swap.away");
         std::ofstream(state + "swap") << "in the way";
         return [state] {
           fs::remove(state + "swap");
           fs::rename(state + "swap.away", state + "swap");
         };
       }},
  };
  for (const Case& c : cases) {
    OnlineCompetition online(1);
    const auto tokens = IssueTokens(online.base, online.state, {"racer"});
    const std::string track = TrackFiles(online).front();
    ServerProcess server(online.base, online.state);
    const auto before = FolderContents(online.base);
    const auto repair = c.break_it(online.state);
    const HttpAnswer failed =
        Curl(TrackUpload(tokens.at("racer"), track), server.Url() + "/api/upload");
    repair();
    EXPECT_EQ(failed.status, 500) << c.name << ": " << failed.body;
    EXPECT_EQ(FolderContents(online.base), before) << c.name;
    for (const char* folder : {"staging", "swap", "versions"})
      EXPECT_TRUE(FolderContents(online.state + folder).empty()) << c.name << ": " << folder;
    const HttpAnswer listed =
        Curl({"-H", "Authorization: Bearer " + tokens.at("racer")}, server.Url() + "/api/entry");
    EXPECT_EQ(Json::parse(listed.body)["versions"].size(), 0u) << c.name;
    const HttpAnswer again =
        Curl(TrackUpload(tokens.at("racer"), track), server.Url() + "/api/upload");
    ASSERT_EQ(again.status, 200) << c.name << ": " << again.body;
    EXPECT_EQ(Json::parse(again.body)["version"], 1) << c.name;
    EXPECT_EQ(server.Stop(), 0);
    // The ledger holds the upload that stands, not the one undone.
    const auto ledger = LedgerLines(online.base, online.state);
    ASSERT_EQ(ledger.size(), 1u) << c.name;
    EXPECT_EQ(ledger[0]["action"], "upload");
    EXPECT_EQ(ledger[0]["entry"], "racer");
    EXPECT_EQ(ledger[0]["version"], 1);
  }
}

// A track file that holds no lap is refused before it becomes a version,
// on the API and from the form: the entry keeps its lap, and nothing of the
// refused upload is kept.
TEST(ServerStorage, ATrackFileWithoutALapIsRefusedAndTheEntryKeepsItsVersion) {
  OnlineCompetition online(1);
  const auto tokens = IssueTokens(online.base, online.state, {"racer"});
  const std::string track = TrackFiles(online).front();
  const std::string lap = Bytes(track);
  std::string random(4096, '\0');
  std::mt19937 bytes(35);
  for (char& c : random) c = static_cast<char>(bytes());
  struct Case {
    std::string name;
    std::string bytes;
    std::string says;
  };
  const Case cases[] = {
      {"random bytes", random, "is not a track file"},
      {"an empty file", "", "is not a track file"},
      {"the first half of a track file", lap.substr(0, lap.size() / 2), "is damaged"},
  };
  ServerProcess server(online.base, online.state);
  const std::string bearer = "Authorization: Bearer " + tokens.at("racer");
  ASSERT_EQ(Curl(TrackUpload(tokens.at("racer"), track), server.Url() + "/api/upload").status, 200);
  const auto versions = [&] {
    return Json::parse(Curl({"-H", bearer}, server.Url() + "/api/entry").body)["versions"];
  };
  const Json kept = versions();
  const auto base_before = FolderContents(online.base);
  const auto versions_before = FolderContents(online.state + "versions");
  const std::string junk = online.dir.Path() + "junk.trk";
  for (const Case& c : cases) {
    std::ofstream(junk, std::ios::binary) << c.bytes;
    const HttpAnswer api =
        Curl(TrackUpload(tokens.at("racer"), junk, "junk.trk"), server.Url() + "/api/upload");
    EXPECT_EQ(api.status, 422) << c.name << ": " << api.body;
    const Json refusal = Json::parse(api.body, nullptr, false);
    EXPECT_TRUE(refusal.is_object() && refusal.value("error", "").find(c.says) != std::string::npos)
        << c.name << ": " << api.body;
    const HttpAnswer form = Curl({"-F", "token=" + tokens.at("racer"), "-F", "track=@" + junk},
                                 server.Url() + "/upload");
    EXPECT_EQ(form.status, 422) << c.name << ": " << form.body;
    EXPECT_NE(form.body.find(c.says), std::string::npos) << c.name << ": " << form.body;
    EXPECT_EQ(versions(), kept) << c.name;
    EXPECT_EQ(FolderContents(online.base), base_before) << c.name;
    EXPECT_EQ(FolderContents(online.state + "versions"), versions_before) << c.name;
    for (const char* folder : {"staging", "swap"})
      EXPECT_TRUE(FolderContents(online.state + folder).empty()) << c.name << ": " << folder;
  }
  EXPECT_EQ(server.Stop(), 0);
}

TEST(ServerStorage, OneServerPerStateAndPerBaseFolder) {
  OnlineCompetition online(1);
  ServerProcess first(online.base, online.state);
  ASSERT_GT(first.Port(), 0);
  const auto [same_state, said] =
      RunWithErrors({"serve", online.base, "--state", online.state, "--listen", "127.0.0.1:0"});
  EXPECT_EQ(same_state, 2);
  EXPECT_NE(said.find("listening on " + first.Url() + "/"), std::string::npos) << said;
  const auto [same_base, told] = RunWithErrors(
      {"serve", online.base, "--state", online.dir.Path() + "other", "--listen", "127.0.0.1:0"});
  EXPECT_EQ(same_base, 2);
  EXPECT_NE(told.find("another server serves this base folder"), std::string::npos) << told;
  // Tokens are issued while the server runs, and it knows them at once.
  const auto tokens = IssueTokens(online.base, online.state, {"late"});
  ASSERT_EQ(tokens.size(), 1u);
  const HttpAnswer entry =
      Curl({"-H", "Authorization: Bearer " + tokens.at("late")}, first.Url() + "/api/entry");
  EXPECT_EQ(entry.status, 200) << entry.body;
  EXPECT_EQ(first.Stop(), 0);
}

}  // namespace
}  // namespace hl::testing
