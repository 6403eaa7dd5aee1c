// Requests a server must refuse: each answered with its status and a
// message, and none of them changes a byte of the base folder.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <thread>

#include <gtest/gtest.h>

#include "evaluation/closing_time.h"
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

// A connection to the server from `from` (an address of 127.0.0.0/8).
int Connect(int port, const char* from = "127.0.0.1") {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  inet_pton(AF_INET, from, &address.sin_addr);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  return fd;
}

void Send(int fd, const std::string& text) {
  ASSERT_EQ(send(fd, text.data(), text.size(), MSG_NOSIGNAL), static_cast<ssize_t>(text.size()));
}

// What the server answers on `fd` until it closes (at most `seconds`).
std::string Answer(int fd, int seconds = 10) {
  timeval wait{.tv_sec = seconds, .tv_usec = 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
  std::string text;
  char buffer[4096];
  ssize_t got;
  while ((got = recv(fd, buffer, sizeof buffer, 0)) > 0) text.append(buffer, got);
  return text;
}

int StatusOf(const std::string& answer) {
  return answer.rfind("HTTP/1.1 ", 0) == 0 ? std::atoi(answer.c_str() + 9) : 0;
}

// `text` sent on a connection of its own; the answer's status.
int Exchange(int port, const std::string& text) {
  const int fd = Connect(port);
  Send(fd, text);
  const std::string answer = Answer(fd);
  close(fd);
  return StatusOf(answer);
}

// A refused upload's staged files are removed once its answer is sent, so a
// client may look a moment before they are gone.
bool FolderEmpty(const std::string& folder) {
  for (int tries = 0; tries < 40 && !std::filesystem::is_empty(folder); ++tries)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  return std::filesystem::is_empty(folder);
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
  ServerProcess server(online.base, online.state,
                       {"--idle-timeout", "2", "--request-timeout", "5"});
  ASSERT_EQ(online.Upload(server.Url(), anna, tokens.at(anna)).first, 200);
  WaitForPage(server.Url(), 1);
  const auto before = FolderContents(online.base);
  const auto versions = FolderContents(online.state + "versions");

  const std::string bearer = "Authorization: Bearer " + tokens.at(anna);
  const std::vector<Hostile> table = {
      {"no token", {"-F", "track=@" + track}, "/api/upload", 401},
      {"unknown token",
       {"-H", "Authorization: Bearer 00", "-F", "track=@" + track},
       "/api/upload",
       401},
      {"no track", {"-H", bearer, "-F", "game=@" + track + ";filename=a.gam"}, "/api/upload", 400},
      {"name climbs out to nothing",
       {"-H", bearer, "-F", "track=@" + track + ";filename=../.trk"},
       "/api/upload",
       400},
      {"hidden name of no letter",
       {"-H", bearer, "-F", "track=@" + track + ";filename=.-.trk"},
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
      {"bad token, body offered",
       {"-H", "Authorization: bearer 00", "-H", "Expect: 100-continue", "-F", "track=@" + track},
       "/api/upload",
       401},
      {"form file before the token",
       {"-F", "track=@" + track, "-F", "token=" + tokens.at(anna)},
       "/upload",
       401},
      {"form without token", {"-F", "track=@" + track}, "/upload", 401},
      {"chunked body over the limit",
       {"-H", bearer, "-H", "Transfer-Encoding: chunked", "-F", "other=@" + huge},
       "/api/upload",
       413},
      {"entry by POST", {"-H", bearer, "--data", "x=1"}, "/api/entry", 405},
  };
  for (const Hostile& request : table) {
    const HttpAnswer answer = Curl(request.args, server.Url() + request.path);
    EXPECT_EQ(answer.status, request.status) << request.name << ": " << answer.body;
    if (request.path.starts_with("/api/")) {
      const Json error = Json::parse(answer.body, nullptr, false);
      EXPECT_TRUE(error.is_object() && error["error"].is_string()) << request.name;
    }
    if (request.status == 401) {
      EXPECT_EQ(answer.headers.find("100 Continue"), std::string::npos) << request.name;
      EXPECT_NE(answer.headers.find("WWW-Authenticate: Bearer"), std::string::npos) << request.name;
    }
    EXPECT_TRUE(FolderEmpty(online.state + "staging")) << request.name;
  }

  // Bodies framed two ways at once are refused before they are read.
  const std::string upload_head = "POST /api/upload HTTP/1.1\r\n" + bearer +
                                  "\r\nContent-Type: multipart/form-data; boundary=XYZ\r\n";
  const std::pair<const char*, std::string> framings[] = {
      {"two lengths", upload_head + "Host: x\r\nContent-Length: 4\r\nContent-Length: 40\r\n\r\n"},
      {"length and chunks",
       upload_head + "Host: x\r\nContent-Length: 4\r\nTransfer-Encoding: chunked\r\n\r\n"},
      {"no host", upload_head + "Content-Length: 4\r\n\r\n--XY"},
  };
  for (const auto& [name, text] : framings) EXPECT_EQ(Exchange(server.Port(), text), 400) << name;

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

  // One that keeps trickling is dropped when the whole request's time is up.
  const int trickle = Connect(server.Port());
  Send(trickle, head);
  const auto began = std::chrono::steady_clock::now();
  bool dropped = false;
  while (!dropped && std::chrono::steady_clock::now() - began < std::chrono::seconds(12)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    dropped = send(trickle, "x", 1, MSG_NOSIGNAL) != 1;
  }
  EXPECT_TRUE(dropped);
  EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(8));
  close(trickle);

  EXPECT_EQ(FolderContents(online.base), before);
  EXPECT_EQ(FolderContents(online.state + "versions"), versions);
  EXPECT_TRUE(FolderEmpty(online.state + "staging"));
  EXPECT_EQ(server.Stop(), 0);
}

// The upload is received when its last byte is: headers sent before the
// closing time and a body trickled in past it count as late.
TEST(ServerHostile, BodyTrickledPastTheClosingTimeIsLate) {
  OnlineCompetition online(1);
  const std::string anna = online.samples[0];
  const auto tokens = IssueTokens(online.base, online.state, {anna});
  const int64_t closes = static_cast<int64_t>(std::time(nullptr)) + 6;
  ServerProcess server(online.base, online.state,
                       {"--closes", evaluation::Rfc3339Utc(closes), "--idle-timeout", "3"});
  WaitForPage(server.Url(), 0);
  const auto before = FolderContents(online.base);
  std::ifstream in(online.source + anna + "/eichwald.trk", std::ios::binary);
  const std::string track((std::istreambuf_iterator<char>(in)), {});
  const std::string body =
      "--XYZ\r\nContent-Disposition: form-data; name=\"track\"; filename=\"eichwald.trk\"\r\n"
      "\r\n" +
      track + "\r\n--XYZ--\r\n";
  const std::string head = "POST /api/upload HTTP/1.1\r\nHost: x\r\nAuthorization: Bearer " +
                           tokens.at(anna) +
                           "\r\nContent-Type: multipart/form-data; boundary=XYZ\r\n"
                           "Content-Length: " +
                           std::to_string(body.size()) + "\r\n\r\n";
  while (std::time(nullptr) < closes - 2)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const int fd = Connect(server.Port());
  Send(fd, head + body.substr(0, body.size() - 4));
  for (size_t i = body.size() - 4; i < body.size(); ++i) {
    std::this_thread::sleep_for(std::chrono::seconds(1));
    Send(fd, body.substr(i, 1));
  }
  const std::string answer = Answer(fd);
  close(fd);
  EXPECT_EQ(StatusOf(answer), 403) << answer;
  EXPECT_NE(answer.find(evaluation::UtcText(closes)), std::string::npos) << answer;
  EXPECT_EQ(FolderContents(online.base), before);
  EXPECT_TRUE(FolderEmpty(online.state + "staging"));
  EXPECT_FALSE(std::filesystem::exists(online.state + "versions/" + anna));
}

// Hundreds of slow connections neither hold a thread each nor keep a new
// client waiting; an address over its share is told so with 503.
TEST(ServerHostile, SlowConnectionsDoNotStarveOthers) {
  OnlineCompetition online(1);
  ServerProcess server(online.base, online.state);
  std::vector<int> idle;
  for (int address = 0; address < 8; ++address) {
    const std::string from = "127.0.0." + std::to_string(10 + address);
    for (int k = 0; k < 32; ++k) {
      idle.push_back(Connect(server.Port(), from.c_str()));
      Send(idle.back(), "GET / HTTP/1.1\r\nHost: x\r\n");
    }
  }
  const int over = Connect(server.Port(), "127.0.0.10");
  Send(over, "GET /upload HTTP/1.1\r\nHost: x\r\n\r\n");
  const std::string refused = Answer(over);
  close(over);
  EXPECT_EQ(StatusOf(refused), 503) << refused;
  EXPECT_NE(refused.find("Retry-After: "), std::string::npos);

  const auto asked = std::chrono::steady_clock::now();
  const HttpAnswer answer = Curl({"--interface", "127.0.0.200"}, server.Url() + "/upload");
  EXPECT_EQ(answer.status, 200);
  EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(1));
  for (int fd : idle) close(fd);
  EXPECT_EQ(server.Stop(), 0);
}

TEST(ServerHostile, SignupOnlyFromOwnPagesAndCapped) {
  OnlineCompetition online(1);
  ServerProcess server(online.base, online.state, {"--signup", "--signups-per-hour", "2"});
  const std::string own = "Origin: " + server.Url();
  const std::pair<std::vector<std::string>, int> table[] = {
      {{"-H", "Origin: https://evil.example"}, 403},
      {{"-H", "Referer: https://evil.example/form"}, 403},
      {{"-H", own}, 201},
      {{"-H", "Referer: " + server.Url() + "/upload"}, 201},
      {{"-H", own}, 429},
  };
  for (const auto& [args, status] : table) {
    std::vector<std::string> with_name = args;
    with_name.insert(with_name.end(), {"--data", "name=Eve"});
    const HttpAnswer answer = Curl(with_name, server.Url() + "/api/signup");
    EXPECT_EQ(answer.status, status) << args[1] << ": " << answer.body;
    EXPECT_NE(answer.headers.find("Cache-Control: no-store"), std::string::npos);
  }
  EXPECT_TRUE(std::filesystem::is_directory(online.base + "Eve-2"));
  EXPECT_FALSE(std::filesystem::exists(online.base + "Eve-3"));
}

// Behind a trusted proxy the client it names is counted and logged, each
// client apart; a header that does not parse leaves the proxy's address.
TEST(ServerHostile, TrustedProxyNamesTheClient) {
  OnlineCompetition online(1);
  ServerProcess server(online.base, online.state,
                       {"--trusted-proxy", "127.0.0.0/8", "--rate-limit", "2"});
  const std::pair<std::string, int> table[] = {
      {"X-Forwarded-For: 198.51.100.1", 200}, {"X-Forwarded-For: 198.51.100.1", 200},
      {"X-Forwarded-For: 198.51.100.1", 429}, {"Forwarded: for=\"[2001:db8::5]:4711\"", 200},
      {"X-Forwarded-For: junk", 200},         {"X-Forwarded-For: 198.51.100.1, x", 200},
  };
  for (const auto& [header, status] : table) {
    EXPECT_EQ(Curl({"-H", header}, server.Url() + "/upload").status, status) << header;
  }
  Exchange(server.Port(), "GET /\x1b[2J\x07 HTTP/1.1\r\nHost: x\r\n\r\n");
  EXPECT_EQ(server.Stop(), 0);
  const std::string log = server.Log();
  EXPECT_NE(log.find("\n198.51.100.1 GET /upload 429 "), std::string::npos) << log;
  EXPECT_NE(log.find("\n2001:db8::5 GET /upload 200 "), std::string::npos) << log;
  EXPECT_EQ(log.find('\x1b'), std::string::npos);
  EXPECT_NE(log.find("\n127.0.0.1 GET /\\x1b[2J"), std::string::npos) << log;
}

TEST(ServerHostile, ClosedUploadsAndTooManyRequests) {
  OnlineCompetition online(1);
  const auto tokens = IssueTokens(online.base, online.state, online.samples);
  ServerProcess server(online.base, online.state,
                       {"--closes", "2026-01-01T01:00:00+01:00", "--rate-limit", "4", "--signup"});
  const auto [status, closed] =
      online.Upload(server.Url(), online.samples[0], tokens.at(online.samples[0]));
  EXPECT_EQ(status, 403);
  EXPECT_NE(closed["error"].get<std::string>().find("2026-01-01 00:00 UTC"), std::string::npos);
  EXPECT_EQ(Curl({"--data", "name=Eve"}, server.Url() + "/api/signup").status, 403);
  const HttpAnswer form = Curl({}, server.Url() + "/upload");
  EXPECT_NE(form.body.find("No more laps are taken: uploads closed 2026-01-01 00:00 UTC "
                           "(2026-01-01 01:00 +01:00)."),
            std::string::npos)
      << form.body;
  EXPECT_EQ(form.body.find("<form"), std::string::npos) << "no form once closed";
  const HttpAnswer signup = Curl({}, server.Url() + "/signup");
  EXPECT_NE(signup.body.find("Sign-up is over: uploads closed 2026-01-01 00:00 UTC"),
            std::string::npos)
      << signup.body;
  EXPECT_EQ(signup.body.find("<form"), std::string::npos);
  const HttpAnswer limited = Curl({}, server.Url() + "/upload");
  EXPECT_EQ(limited.status, 429);
  EXPECT_NE(limited.headers.find("Retry-After: "), std::string::npos);
}

}  // namespace
}  // namespace hl::testing
