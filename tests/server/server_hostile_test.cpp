// Requests a server must refuse: each answered with its status and a
// message, and none of them changes a byte of the base folder.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>

#include <gtest/gtest.h>

#include "tests/server/upload_fixture.h"

namespace hl::testing {
namespace {

using Json = nlohmann::json;

struct Hostile {
  const char* name;
  std::vector<std::string> args;  // {TOKEN}, {TRK}, {BIG}, {HUGE} are filled in
  std::string path;
  int status;
};

int Connect(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  return fd;
}

TEST(ServerHostile, EveryRefusalLeavesTheBaseFolderAsItWas) {
  OnlineCompetition online;
  const std::string anna = online.samples[0];
  const auto tokens = IssueTokens(online.base, online.state, {anna});
  const std::string track = online.source + anna + "/eichwald.trk";
  const std::string big = online.dir.WriteFile("big.trk", std::string(2'000'000, 'x'));
  const std::string huge = online.dir.WriteFile("huge.bin", std::string(13 << 20, 'x'));
  const std::string open_boundary =
      online.dir.WriteFile("open.txt",
                           "--XYZ\r\nContent-Disposition: form-data; name=\"track\"; "
                           "filename=\"a.trk\"\r\n\r\nabc");
  ServerProcess server(online.base, online.state, {"--idle-timeout", "2"});
  ASSERT_EQ(online.Upload(server.Url(), anna, tokens.at(anna)).first, 200);
  WaitForPage(server.Url(), 1);
  const auto before = FolderContents(online.base);

  const std::string bearer = "Authorization: Bearer " + tokens.at(anna);
  const std::vector<Hostile> table = {
      {"no token", {"-F", "track=@" + track}, "/api/upload", 401},
      {"unknown token",
       {"-H", "Authorization: Bearer 00", "-F", "track=@" + track},
       "/api/upload",
       401},
      {"no track", {"-H", bearer, "-F", "game=@" + track + ";filename=a.gam"}, "/api/upload", 400},
      {"name climbs out",
       {"-H", bearer, "-F", "track=@" + track + ";filename=../up.trk"},
       "/api/upload",
       400},
      {"hidden name",
       {"-H", bearer, "-F", "track=@" + track + ";filename=.x.trk"},
       "/api/upload",
       400},
      {"wrong ending",
       {"-H", bearer, "-F", "track=@" + track + ";filename=lap.txt"},
       "/api/upload",
       400},
      {"not multipart", {"-H", bearer, "--data", "track=1"}, "/api/upload", 415},
      {"track too large", {"-H", bearer, "-F", "track=@" + big}, "/api/upload", 413},
      {"request too large",
       {"-H", bearer, "-F", "track=@" + track, "-F", "other=@" + huge},
       "/api/upload",
       413},
      {"boundary never closed",
       {"-H", bearer, "-H", "Content-Type: multipart/form-data; boundary=XYZ", "--data-binary",
        "@" + open_boundary},
       "/api/upload",
       400},
      {"upload by GET", {"-H", bearer}, "/api/upload", 405},
      {"entry without token", {}, "/api/entry", 401},
      {"sign-up not offered", {"--data", "name=Eve"}, "/api/signup", 404},
      {"path climbs out", {"--path-as-is"}, "/../state/hotlap-eval.sqlite", 404},
      {"picture path climbs out", {"--path-as-is"}, "/entries/../../hotlap-eval.sqlite", 404},
      {"no listing", {}, "/entries/", 404},
  };
  for (const Hostile& request : table) {
    const HttpAnswer answer = Curl(request.args, server.Url() + request.path);
    EXPECT_EQ(answer.status, request.status) << request.name << ": " << answer.body;
    const Json error = Json::parse(answer.body, nullptr, false);
    EXPECT_TRUE(error.is_object() && error["error"].is_string()) << request.name;
  }

  // A client that stops sending mid-upload is dropped after the idle time.
  const int slow = Connect(server.Port());
  const std::string head = "POST /api/upload HTTP/1.1\r\nHost: x\r\n" + bearer +
                           "\r\nContent-Type: multipart/form-data; boundary=XYZ\r\n"
                           "Content-Length: 100000\r\n\r\n--XYZ\r\n";
  ASSERT_EQ(send(slow, head.data(), head.size(), 0), static_cast<ssize_t>(head.size()));
  const auto sent = std::chrono::steady_clock::now();
  timeval wait{.tv_sec = 20, .tv_usec = 0};
  setsockopt(slow, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
  char reply[256];
  EXPECT_LE(recv(slow, reply, sizeof reply, 0), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::seconds(10));
  close(slow);

  EXPECT_EQ(FolderContents(online.base), before);
  EXPECT_EQ(server.Stop(), 0);
}

TEST(ServerHostile, ClosedUploadsAndTooManyRequests) {
  OnlineCompetition online(1);
  const auto tokens = IssueTokens(online.base, online.state, online.samples);
  ServerProcess server(online.base, online.state,
                       {"--closes", "2026-01-01T01:00:00+01:00", "--rate-limit", "3"});
  const auto [status, closed] =
      online.Upload(server.Url(), online.samples[0], tokens.at(online.samples[0]));
  EXPECT_EQ(status, 403);
  EXPECT_NE(closed["error"].get<std::string>().find("2026-01-01 00:00 UTC"), std::string::npos);
  const HttpAnswer form = Curl({}, server.Url() + "/upload");
  EXPECT_NE(form.body.find("2026-01-01 00:00 UTC (2026-01-01 01:00 +01:00)"), std::string::npos);
  Curl({}, server.Url() + "/upload");
  const HttpAnswer limited = Curl({}, server.Url() + "/upload");
  EXPECT_EQ(limited.status, 429);
  EXPECT_NE(limited.headers.find("Retry-After: "), std::string::npos);
}

}  // namespace
}  // namespace hl::testing
