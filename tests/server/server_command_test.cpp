// The command lines of serve and token: mistakes end with status 2 before
// anything is created, and sign-up makes an entry folder of its own.

#include <sys/stat.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "tests/server/upload_fixture.h"

namespace hl::testing {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

TEST(ServerCommand, MistakesEndWithStatusTwoAndCreateNothing) {
  TempDir dir;
  const std::string base = dir.MakeDir("cup");
  const std::string state = dir.Path() + "state";
  const std::string closing = dir.WriteFile("cup.toml", "closes = 2026-12-24T18:00:00+01:00\n");
  // A competition whose own evaluation file closes it, as --batch reads it.
  const std::string own = dir.MakeDir("own");
  dir.WriteFile("own/evaluation.toml", "closes = 2026-12-24T18:00:00+01:00\n");
  std::vector<std::vector<std::string>> cases = {
      {"token", base, "--state", state, "bad name"},
      {"token", base, "--state", base + "state", "anna"},
      {"token", dir.Path() + "missing", "--state", state, "anna"},
      {"serve", base, "--state", base + "state"},
      {"serve", base, "--state", state, "--evaluation", closing, "--closes",
       "2026-12-24T18:00:00Z"},
      {"serve", base, "--state", state, "--closes", "2026-12-24 18:00"},
      {"serve", own, "--state", state, "--closes", "2026-12-24T18:00:00Z"},
      {"serve", own, "--state", state, "--freeze", "2026-12-24T18:00:00+01:00"},
      {"serve", base, "--state", state, "--freeze", "2026-12-24T16:00:00Z"},
      {"serve", base, "--state", state, "--evaluation", closing, "--freeze", "2026-12-24 16:00"},
      {"finalize", base, "--state", state, "--reason", ""},
      {"finalize", base, "--state", state, "--reason", "two\nlines"},
      {"verify-final", base, "--state", state},
      {"serve", base, "--state", state, "--evaluation", closing, "--no-evaluation"},
      {"serve", base, "--state", state, "--listen", "localhost"},
      {"serve", base, "--state", state, "--trusted-proxy", "10.0.0.0/33"},
      {"serve", base, "--state", state, "--webhook", "ftp://chat.example.org/hook"},
      {"serve", base, "--state", state, "--webhook", "http://10.0.0.7/hook"},
      {"serve", base, "--state", state, "--webhook", "https://chat.example.org/hook",
       "--webhook-format", "xml"},
      {"serve", base},
  };
  // Another file system, where the machine has one at hand.
  struct stat base_status {};
  struct stat shm_status {};
  if (stat(base.c_str(), &base_status) == 0 && stat("/dev/shm", &shm_status) == 0 &&
      base_status.st_dev != shm_status.st_dev) {
    cases.push_back({"serve", base, "--state", "/dev/shm/hotlap-test-state"});
  }
  for (const auto& args : cases) {
    EXPECT_EQ(RunHotlap(args), 2) << args[0] << ' ' << args.back();
  }
  EXPECT_TRUE(fs::is_empty(base));
  EXPECT_FALSE(fs::exists(state));
  EXPECT_FALSE(fs::exists("/dev/shm/hotlap-test-state"));
}

TEST(ServerCommand, SignUpMakesAnEntryOfItsOwn) {
  OnlineCompetition online(1);
  fs::create_directory(online.base + "Dora-M");  // an entrant the organiser added
  ServerProcess server(online.base, online.state, {"--signup"});
  const HttpAnswer signed_up =
      Curl({"--data-urlencode", "name=Dora M."}, server.Url() + "/api/signup");
  ASSERT_EQ(signed_up.status, 201) << signed_up.body;
  const Json answer = Json::parse(signed_up.body);
  EXPECT_EQ(answer["entry"], "Dora-M-2");
  EXPECT_TRUE(fs::is_directory(online.base + "Dora-M-2"));
  const HttpAnswer entry =
      Curl({"-H", "Authorization: Bearer " + answer["token"].get<std::string>()},
           server.Url() + "/api/entry");
  EXPECT_EQ(entry.status, 200);
  EXPECT_EQ(Curl({"--data-urlencode", "name="}, server.Url() + "/api/signup").status, 400);
  EXPECT_EQ(server.Stop(), 0);
}

}  // namespace
}  // namespace hl::testing
