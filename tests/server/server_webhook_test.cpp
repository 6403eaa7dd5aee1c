// The server's webhooks end to end: every event of a competition told once
// and in order (an organiser's decision among them, without who decided),
// though the receiver is down for a while and the server
// restarts in the middle.

#include <gtest/gtest.h>

#include "tests/server/upload_fixture.h"
#include "tests/server/webhook_receiver.h"

namespace hl::testing {
namespace {

using Json = nlohmann::json;

size_t Answered(const std::vector<ReceivedPost>& posts, int status) {
  return static_cast<size_t>(std::count_if(
      posts.begin(), posts.end(), [status](const auto& post) { return post.answered == status; }));
}

TEST(ServerWebhooks, EveryEventOnceInOrderAcrossARestart) {
  OnlineCompetition online;
  const std::string anna = online.samples[0];  // 51.23
  const std::string hugo = online.samples[7];  // 47.12, the fastest
  const auto tokens = IssueTokens(online.base, online.state, {anna, hugo});
  const auto organisers = IssueTokens(online.base, online.state, {"--organiser", "ada"});
  WebhookReceiver receiver;
  const std::vector<std::string> hooks = {"--webhook", receiver.Url(), "--webhook-allow-private"};
  {
    ServerProcess server(online.base, online.state, hooks);
    ASSERT_EQ(online.Upload(server.Url(), anna, tokens.at(anna)).first, 200);
    ASSERT_TRUE(receiver.WaitFor([](const auto& posts) { return Answered(posts, 200) == 2; }));
    receiver.AnswerWith(503);
    ASSERT_EQ(online.Upload(server.Url(), hugo, tokens.at(hugo)).first, 200);
    ASSERT_TRUE(receiver.WaitFor([](const auto& posts) { return Answered(posts, 503) >= 2; }));
    EXPECT_EQ(server.Stop(), 0);
  }
  receiver.AnswerWith(200);
  // Started again after the closing time, telling Discord's way now.
  std::vector<std::string> again = hooks;
  again.insert(again.end(), {"--webhook-format", "discord", "--closes", "2026-01-01T00:00:00Z"});
  ServerProcess server(online.base, online.state, again);
  ASSERT_TRUE(receiver.WaitFor([](const auto& posts) { return Answered(posts, 200) >= 5; }));
  const HttpAnswer decided = Curl({"-H", "Authorization: Bearer " + organisers.at("ada"), "-d",
                                   R"({"time": 5500, "reason": "modified car"})"},
                                  server.Url() + "/review/api/entry/" + anna + "/penalty");
  ASSERT_EQ(decided.status, 200) << decided.body;
  ASSERT_TRUE(receiver.WaitFor([](const auto& posts) { return Answered(posts, 200) >= 6; }));
  EXPECT_EQ(server.Stop(), 0);

  const std::vector<std::string> delivered = receiver.Delivered();
  ASSERT_EQ(delivered.size(), 6u);
  const Json upload = Json::parse(delivered[0]);
  EXPECT_EQ(upload["event"], "upload");
  EXPECT_EQ(upload["entry"], anna);
  EXPECT_EQ(upload["version"], 1);
  EXPECT_EQ(upload["time"], 5123);
  EXPECT_EQ(upload["valid"], true);
  const Json first = Json::parse(delivered[1]);
  EXPECT_EQ(first["event"], "first-place");
  EXPECT_EQ(first["entry"], anna);
  EXPECT_EQ(first["time"], 5123);
  const std::vector<std::string> messages = {
      "hugo: version 1 received, 47.12, provisional place 1.", "hugo is now first with 47.12.",
      "Uploads are closed (2026-01-01T00:00:00Z).",
      anna + ": penalty, the lap counts as 55.00. Reason: modified car"};
  for (size_t i = 0; i < messages.size(); ++i)
    EXPECT_EQ(Json::parse(delivered[i + 2])["content"], messages[i]) << delivered[i + 2];
  for (const ReceivedPost& post : receiver.Posts()) {
    for (const auto& [entry, token] : tokens)
      EXPECT_EQ(post.body.find(token), std::string::npos) << post.body;
    EXPECT_EQ(post.body.find("ada"), std::string::npos) << post.body;
  }
  EXPECT_EQ(server.Log().find(tokens.at(hugo)), std::string::npos);
}

}  // namespace
}  // namespace hl::testing
