// The live page turns from provisional to final when uploads close, by the
// clock and without a restart, and no public file names the server's folders.
// It follows the competition's own evaluation.toml as a batch run reads it,
// also when the organiser edits the file while the server runs.

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "evaluation/closing_time.h"
#include "tests/server/upload_fixture.h"

namespace hl::testing {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

TEST(PageStanding, TurnsFinalWhenUploadsCloseWithoutARestart) {
  OnlineCompetition online(1);
  const auto tokens = IssueTokens(online.base, online.state, online.samples);
  const int64_t closes = std::time(nullptr) + 8;
  const std::string evaluation = online.dir.WriteFile(
      "cup.toml", "closes = " + evaluation::Rfc3339Utc(closes) + "\nfinal = true\n");
  ServerProcess server(online.base, online.state, {"--evaluation", evaluation});
  const std::string sample = online.samples[0];
  ASSERT_EQ(online.Upload(server.Url(), sample, tokens.at(sample)).first, 200);

  const Json open = WaitForPage(server.Url(), 1);
  ASSERT_TRUE(open.is_object());
  ASSERT_LT(std::time(nullptr), closes) << "the machine was too slow to see the page open";
  EXPECT_EQ(open["provisional"], true);
  EXPECT_NE(Curl({}, server.Url() + "/").body.find("<div class=\"standing provisional\""),
            std::string::npos);

  Json closed;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline) {
    closed = Json::parse(Curl({}, server.Url() + "/results.json").body, nullptr, false);
    if (closed.is_object() && closed["provisional"] == false) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // under the rate limit
  }
  ASSERT_TRUE(closed.is_object());
  EXPECT_EQ(closed["provisional"], false);
  EXPECT_GE(std::time(nullptr), closes);
  EXPECT_EQ(closed["ranking"], open["ranking"]);
  const HttpAnswer page = Curl({}, server.Url() + "/");
  EXPECT_NE(page.body.find("<div class=\"standing final\""), std::string::npos);
  EXPECT_EQ(page.body.find("standing provisional"), std::string::npos);
  EXPECT_NE(page.body.find("<p class=\"uploads\">uploads closed "), std::string::npos);

  EXPECT_EQ(closed["competition"]["folder"],
            fs::path(online.base).parent_path().filename().string());
  for (const char* file : {"/", "/results.json", "/results.csv"}) {
    SCOPED_TRACE(file);
    const HttpAnswer answer = Curl({}, server.Url() + file);
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.body.find(online.dir.Path()), std::string::npos);
  }
  EXPECT_EQ(server.Stop(), 0);
}

// The served results.json until its ranking is `expected`'s; the last one seen.
Json WaitForRanking(const std::string& url, const Json& expected) {
  Json served;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline) {
    served = Json::parse(Curl({}, url + "/results.json").body, nullptr, false);
    if (served.is_object() && served["ranking"] == expected["ranking"]) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(600));  // under the rate limit
  }
  return served;
}

TEST(PageStanding, FollowsTheFoldersEvaluationFileAsItChanges) {
  OnlineCompetition online(4);
  for (const std::string& sample : online.samples)
    fs::copy(online.source + sample, online.base + sample, fs::copy_options::recursive);
  const Json plain = BatchJson(online.base);
  ASSERT_TRUE(plain.is_object());
  ASSERT_GE(plain["ranking"].size(), 2u);
  ASSERT_LT(plain["ranking"][1]["time"], 6000) << "the sample needs two timed entries";
  const std::string fastest = plain["ranking"][0]["entry"];
  const auto tokens = IssueTokens(online.base, online.state, {fastest});

  const std::string file = online.base + "evaluation.toml";
  const std::string closed = "closes = " + evaluation::Rfc3339Utc(std::time(nullptr) - 60) + "\n";
  std::ofstream(file) << closed << "[[penalty]]\nentry = \"" << fastest << "\"\ntime = 9000\n";
  const Json penalised = BatchJson(online.base);
  ASSERT_TRUE(penalised.is_object());
  ASSERT_NE(penalised["ranking"][0]["entry"], fastest);

  ServerProcess server(online.base, online.state);
  EXPECT_EQ(WaitForRanking(server.Url(), penalised)["ranking"], penalised["ranking"]);
  EXPECT_EQ(online.Upload(server.Url(), fastest, tokens.at(fastest)).first, 403);

  // The organiser lifts the penalty; the page and the verdict follow.
  std::ofstream(file) << closed;
  const Json lifted = BatchJson(online.base);
  ASSERT_EQ(lifted["ranking"], plain["ranking"]);
  EXPECT_EQ(WaitForRanking(server.Url(), lifted)["ranking"], lifted["ranking"]);
  const HttpAnswer entry =
      Curl({"-H", "Authorization: Bearer " + tokens.at(fastest)}, server.Url() + "/api/entry");
  EXPECT_EQ(Json::parse(entry.body, nullptr, false)["verdict"]["penalty"], nullptr);
  EXPECT_EQ(server.Stop(), 0);
}

}  // namespace
}  // namespace hl::testing
