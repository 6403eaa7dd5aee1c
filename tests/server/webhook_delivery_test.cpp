// Webhook deliveries against a receiver on this machine: in order, again and
// again while it is down, never to a private address without the flag; the
// rules for addresses and URLs; the Discord messages.

#include <chrono>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "server/webhook_address.h"
#include "server/webhook_body.h"
#include "server/webhook_notifier.h"
#include "tests/server/webhook_receiver.h"
#include "tests/support/temp_dir.h"

namespace hl::testing {
namespace {

using namespace std::chrono_literals;
using Json = nlohmann::ordered_json;
using server::WebhookEvent;

constexpr const char* kAt = "2026-12-24T17:00:00Z";

server::WebhookOptions QuickOptions(const std::string& url, bool allow_private) {
  server::WebhookOptions options;
  options.urls = {url};
  options.allow_private = allow_private;
  options.timing = {.timeout = 2s, .first_retry = 20ms, .longest_wait = 100ms, .give_up_after = 1h};
  return options;
}

std::vector<WebhookEvent> SomeEvents() {
  const Json verdict = {{"track_valid", true}, {"time", 5123}, {"findings", Json::array()}};
  return {
      server::UploadEvent(kAt, "anna", 2, verdict, 3),
      server::DecisionEvent(kAt, "anna", server::DecisionAction::kPenalty, 5500, "cut a corner"),
      server::FinalEvent(kAt, 1, "all checked")};
}

Json Parsed(const std::string& body) { return Json::parse(body, nullptr, false); }

TEST(WebhookDelivery, InOrderAgainAndAgainWhileTheReceiverIsDown) {
  TempDir dir;
  WebhookReceiver receiver;
  std::ostringstream log;
  auto notifier = server::WebhookNotifier::Start(
      dir.Path() + "state.db", QuickOptions(receiver.Url("/hook/s3cret"), true), log);
  ASSERT_TRUE(notifier) << notifier.error().Describe();
  const auto events = SomeEvents();

  // Up: delivered at once.
  const auto queued = std::chrono::steady_clock::now();
  (*notifier)->Notify(events[0]);
  ASSERT_TRUE(receiver.WaitFor([](const auto& posts) { return posts.size() == 1; }, 5s));
  EXPECT_LT(std::chrono::steady_clock::now() - queued, 5s);

  // Down: the first event is tried again and again, the later ones wait
  // behind it; the close is told once however often it is noted.
  receiver.AnswerWith(503);
  for (const WebhookEvent& event : events) (*notifier)->Notify(event);
  const WebhookEvent closed = server::ClosedEvent(kAt, {1800000000, 60});
  (*notifier)->Notify(closed);
  (*notifier)->Notify(closed);
  ASSERT_TRUE(receiver.WaitFor([](const auto& posts) { return posts.size() >= 4; }));
  receiver.AnswerWith(200);
  ASSERT_TRUE(receiver.WaitFor([](const auto& posts) {
    return posts.size() >= 4 && posts.back().answered == 200 &&
           posts.back().body.find("closed") != std::string::npos;
  }));
  std::this_thread::sleep_for(100ms);  // nothing more comes

  std::vector<Json> expected = {events[0].json};
  for (const WebhookEvent& event : events) expected.push_back(event.json);
  expected.push_back(closed.json);
  std::vector<Json> delivered;
  for (const std::string& body : receiver.Delivered()) delivered.push_back(Parsed(body));
  EXPECT_EQ(delivered, expected);
  const auto posts = receiver.Posts();
  for (size_t i = 1; i < posts.size() && posts[i].answered != 200; ++i)
    EXPECT_EQ(Parsed(posts[i].body), events[0].json) << "post " << i;
  EXPECT_EQ(posts[0].path, "/hook/s3cret");
  EXPECT_TRUE((*notifier)->FailedDeliveries().empty());
  EXPECT_NE(log.str().find("not delivered, trying again: answered 503"), std::string::npos)
      << log.str();
  EXPECT_NE(log.str().find("delivered at attempt"), std::string::npos) << log.str();
  EXPECT_EQ(log.str().find("s3cret"), std::string::npos) << log.str();
}

TEST(WebhookDelivery, APrivateAddressIsNeverContactedWithoutTheFlag) {
  TempDir dir;
  WebhookReceiver receiver;
  std::ostringstream log;
  // A name, so the address is known only once it is resolved at delivery.
  const std::string url = "http://localhost:" + std::to_string(receiver.Port()) + "/hook/s3cret";
  server::WebhookOptions options = QuickOptions(url, false);
  options.timing.give_up_after = 100ms;
  {
    auto notifier = server::WebhookNotifier::Start(dir.Path() + "state.db", options, log);
    ASSERT_TRUE(notifier) << notifier.error().Describe();
    (*notifier)->Notify(SomeEvents()[0]);
    for (int i = 0; i < 250 && (*notifier)->FailedDeliveries().empty(); ++i)
      std::this_thread::sleep_for(20ms);
    const auto failed = (*notifier)->FailedDeliveries();
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].receiver, "http://localhost:" + std::to_string(receiver.Port()));
    EXPECT_EQ(failed[0].event, SomeEvents()[0].json);
    EXPECT_NE(failed[0].problem.find("is at the private address"), std::string::npos)
        << failed[0].problem;
  }
  // A restart without the receiver gives up what was queued for it.
  options.urls = {};
  auto restarted = server::WebhookNotifier::Start(dir.Path() + "state.db", options, log);
  ASSERT_TRUE(restarted);
  EXPECT_EQ((*restarted)->FailedDeliveries().size(), 1u);
  EXPECT_EQ(receiver.Connections(), 0);
  EXPECT_NE(log.str().find("given up"), std::string::npos) << log.str();
  EXPECT_EQ(log.str().find("s3cret"), std::string::npos) << log.str();
}

TEST(WebhookAddress, OnlyPublicHttpReceiversUnlessAllowed) {
  struct Case {
    const char* address;
    bool is_private;
  };
  for (const Case& c : std::initializer_list<Case>{{"127.0.0.1", true},
                                                   {"10.1.2.3", true},
                                                   {"172.31.255.255", true},
                                                   {"172.32.0.1", false},
                                                   {"192.168.0.1", true},
                                                   {"100.64.0.1", true},
                                                   {"100.128.0.1", false},
                                                   {"169.254.169.254", true},
                                                   {"0.0.0.0", true},
                                                   {"224.0.0.1", true},
                                                   {"93.184.216.34", false},
                                                   {"::", true},
                                                   {"::1", true},
                                                   {"fd12::1", true},
                                                   {"fe80::1", true},
                                                   {"::ffff:127.0.0.1", true},
                                                   {"::ffff:10.0.0.1", true},
                                                   {"::ffff:93.184.216.34", false},
                                                   {"2606:2800:220:1::1", false},
                                                   {"not an address", true}}) {
    EXPECT_EQ(server::IsPrivateAddress(c.address), c.is_private) << c.address;
  }
  struct Url {
    const char* url;
    bool fine;
    bool fine_if_allowed;
  };
  for (const Url& u : std::initializer_list<Url>{{"https://chat.example.org/hook", true, true},
                                                 {"http://localhost:9/hook", true, true},
                                                 {"http://127.0.0.1:9/hook", false, true},
                                                 {"http://[::ffff:192.168.1.1]/", false, true},
                                                 {"ftp://chat.example.org/hook", false, false},
                                                 {"file:///etc/passwd", false, false},
                                                 {"chat.example.org/hook", false, false},
                                                 {"https://", false, false}}) {
    EXPECT_EQ(!server::WebhookUrlProblem(u.url, false), u.fine) << u.url;
    EXPECT_EQ(!server::WebhookUrlProblem(u.url, true), u.fine_if_allowed) << u.url;
  }
  EXPECT_EQ(server::ReceiverName("https://user:pw@chat.example.org:8443/api/hooks/1/s3cret?x=1"),
            "https://chat.example.org:8443");
}

TEST(WebhookBody, DiscordGetsAShortMessageThatPingsNobody) {
  const Json findings = {{{"code", "car-modified"}, {"message", "2 bytes differ"}}};
  const Json invalid = {{"track_valid", true}, {"time", 4712}, {"findings", findings}};
  const auto events = SomeEvents();
  const std::vector<std::pair<WebhookEvent, std::string>> cases = {
      {events[0], "anna: version 2 received, 51.23, provisional place 3."},
      {server::UploadEvent(kAt, "bert", 1, invalid, nullptr),
       "bert: version 1 received, not valid: 2 bytes differ."},
      {server::UploadEvent(kAt, "bert", 2, nullptr, nullptr),
       "bert: version 2 received, not valid: the track file was not read."},
      {events[1], "anna: penalty, the lap counts as 55.00. Reason: cut a corner"},
      {server::DecisionEvent(kAt, "anna", server::DecisionAction::kWithdraw, std::nullopt,
                             "@everyone the video shows it was fine"),
       "anna: the penalty is withdrawn. Reason: @everyone the video shows it was fine"},
      {server::FirstPlaceEvent(kAt, "hugo", 4712), "hugo is now first with 47.12."},
      {server::ClosedEvent(kAt, {1798131600, 60}), "Uploads are closed (2026-12-24T17:00:00Z)."},
      {events[2], "Final results published, revision 1. Reason: all checked"},
  };
  for (const auto& [event, message] : cases) {
    const Json expected = {{"content", message}, {"allowed_mentions", {{"parse", Json::array()}}}};
    EXPECT_EQ(Parsed(server::WebhookBody(event.json, server::WebhookFormat::kDiscord)), expected);
    EXPECT_EQ(Parsed(server::WebhookBody(event.json, server::WebhookFormat::kJson)), event.json);
  }
  const WebhookEvent long_reason = server::FinalEvent(kAt, 2, std::string(3000, 'x'));
  EXPECT_LE(
      Parsed(server::WebhookBody(long_reason.json, server::WebhookFormat::kDiscord))["content"]
          .get<std::string>()
          .size(),
      2000u);
}

}  // namespace
}  // namespace hl::testing
