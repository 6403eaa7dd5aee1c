// Tokens, uploads over loopback, verdicts against a batch run of the folder
// the uploads built, the live page and the history of a re-upload.

#include <filesystem>

#include <gtest/gtest.h>

#include "tests/server/upload_fixture.h"

namespace hl::testing {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

Json BatchJson(const std::string& base) {
  FILE* pipe = popen((HotlapProgram() + " --batch " + base + " --json - 2>/dev/null").c_str(), "r");
  std::string text;
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, got);
  pclose(pipe);
  return Json::parse(text, nullptr, false);
}

TEST(ServerUpload, VerdictsAreThoseOfABatchRunAndEveryVersionIsKept) {
  OnlineCompetition online;
  const auto tokens = IssueTokens(online.base, online.state, online.samples);
  ASSERT_EQ(tokens.size(), online.samples.size());
  ServerProcess server(online.base, online.state);
  ASSERT_GT(server.Port(), 0);

  // An entry folder appears with the entrant's first accepted upload.
  size_t accepted = 0;
  for (const std::string& sample : online.samples) {
    EXPECT_FALSE(fs::exists(online.base + sample)) << "made by token";
    const auto [status, answer] = online.Upload(server.Url(), sample, tokens.at(sample));
    if (!fs::exists(online.source + sample + "/eichwald.trk")) {
      EXPECT_EQ(status, 400) << "an upload without a track file";
      EXPECT_FALSE(fs::exists(online.base + sample));
      continue;
    }
    ++accepted;
    ASSERT_EQ(status, 200) << answer.dump();
    EXPECT_EQ(answer["entry"], sample);
    EXPECT_EQ(answer["version"], 1);
    EXPECT_FALSE(answer["log"].empty());
  }

  const Json batch = BatchJson(online.base);
  ASSERT_TRUE(batch.is_object());
  ASSERT_EQ(batch["entries"].size(), accepted);
  for (const Json& expected : batch["entries"]) {
    const HttpAnswer entry = Curl({"-H", "Authorization: Bearer " + tokens.at(expected["entry"])},
                                  server.Url() + "/api/entry");
    ASSERT_EQ(entry.status, 200);
    const Json got = Json::parse(entry.body);
    EXPECT_EQ(got["verdict"], expected) << expected["entry"];
    if (got["versions"].empty()) continue;  // the entry without a track file
    ASSERT_EQ(got["versions"].size(), 1u);
    EXPECT_EQ(got["versions"][0]["time"], expected["time"]);
    EXPECT_TRUE(
        FolderHoldsVersion(online.base + expected["entry"].get<std::string>(), got["versions"][0]));
  }

  size_t tracks = 0;
  for (const Json& entry : batch["entries"]) tracks += entry["track_file"].is_string();
  const Json live = WaitForPage(server.Url(), tracks);
  EXPECT_EQ(live["provisional"], true);
  EXPECT_EQ(live["ranking"], batch["ranking"]);
  const HttpAnswer page = Curl({}, server.Url() + "/");
  EXPECT_EQ(page.status, 200);
  EXPECT_NE(page.body.find("<div class=\"standing provisional\""), std::string::npos);
  EXPECT_NE(page.headers.find("Content-Security-Policy: default-src 'none'"), std::string::npos);
  EXPECT_NE(page.headers.find("X-Content-Type-Options: nosniff"), std::string::npos);

  // An upload of another entrant's track file: its answer names the copy at
  // once, as a batch run of the folder does, and places it as that run does.
  const std::string copier = online.samples[1];
  const HttpAnswer copied = Curl({"-H", "Authorization: Bearer " + tokens.at(copier), "-F",
                                  "track=@" + online.source + online.samples[0] + "/eichwald.trk"},
                                 server.Url() + "/api/upload");
  ASSERT_EQ(copied.status, 200) << copied.body;
  const Json copied_answer = Json::parse(copied.body);
  const Json after_copy = BatchJson(online.base);
  for (const Json& expected : after_copy["entries"]) {
    if (expected["entry"] == copier) {
      EXPECT_EQ(copied_answer["verdict"], expected);
    }
  }
  for (const Json& ranked : after_copy["ranking"]) {
    if (ranked["entry"] == copier) {
      EXPECT_EQ(copied_answer["place"], ranked["place"]);
    }
  }
  EXPECT_NE(copied_answer["verdict"].dump().find("duplicate-track-file"), std::string::npos);

  // A re-upload with the track file alone is a version of its own.
  const std::string anna = online.samples[0];
  const std::string track = online.source + anna + "/eichwald.trk";
  const HttpAnswer again =
      Curl({"-H", "Authorization: Bearer " + tokens.at(anna), "-F", "track=@" + track},
           server.Url() + "/api/upload");
  ASSERT_EQ(again.status, 200) << again.body;
  EXPECT_EQ(Json::parse(again.body)["version"], 2);
  const Json history = Json::parse(
      Curl({"-H", "Authorization: Bearer " + tokens.at(anna)}, server.Url() + "/api/entry").body);
  ASSERT_EQ(history["versions"].size(), 2u);
  EXPECT_EQ(history["versions"][0]["files"].size(), 3u);
  EXPECT_EQ(history["versions"][1]["files"].size(), 1u);
  EXPECT_TRUE(FolderHoldsVersion(online.base + anna, history["versions"][1]));
  EXPECT_TRUE(fs::is_directory(online.state + "versions/" + anna + "/1"));
  EXPECT_EQ(server.Stop(), 0);
  EXPECT_EQ(server.Log().find(tokens.at(anna)), std::string::npos) << "a token was logged";
}

}  // namespace
}  // namespace hl::testing
