// The live page turns from provisional to final when uploads close, by the
// clock and without a restart, and no public file names the server's folders.

#include <chrono>
#include <ctime>
#include <filesystem>
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

}  // namespace
}  // namespace hl::testing
