// The public sees one page as of now: the live standings, those of the
// freeze (a lap uploaded later changes no public view while the entrant
// sees its verdict without a place), or the latest final revision, which is
// never written again: a correction is the next revision.

#include <sys/stat.h>

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

constexpr const char* kPublicViews[] = {"/", "/results.json", "/results.csv", "/chart.png",
                                        "/ghosts.png"};

std::map<std::string, std::string> PublicViews(const std::string& url) {
  std::map<std::string, std::string> views;
  for (const char* view : kPublicViews) views[view] = Curl({}, url + view).body;
  return views;
}

Json ServedJson(const std::string& url) {
  return Json::parse(Curl({}, url + "/results.json").body, nullptr, false);
}

size_t TrackFiles(const Json& results) {
  size_t tracks = 0;
  if (results.is_object()) {
    for (const auto& entry : results["entries"]) tracks += entry["track_file"].is_string();
  }
  return tracks;
}

// The newest live page the server built for itself, as its results.json.
Json NewestLivePage(const std::string& state) {
  fs::path newest;
  int64_t number = 0;
  for (const auto& item : fs::directory_iterator(state + "pages/")) {
    const int64_t run = std::atoll(item.path().filename().string().c_str() + 4);
    if (run > number && fs::exists(item.path() / "results.json")) {
      number = run;
      newest = item.path();
    }
  }
  std::ifstream in(newest / "results.json");
  return Json::parse(in, nullptr, false);
}

template <typename Done>
bool WaitUntil(Done done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

size_t LedgerActions(const std::string& base, const std::string& state, const std::string& action) {
  const auto [status, lines] = RunHotlapForOutput({"ledger", base, "--state", state});
  EXPECT_EQ(status, 0);
  size_t count = 0;
  std::istringstream in(lines);
  for (std::string line; std::getline(in, line);)
    count += Json::parse(line, nullptr, false)["action"] == action;
  return count;
}

TEST(Freeze, ALapAfterTheFreezeChangesNoPublicViewUntilTheFinalRevision) {
  OnlineCompetition online(3);
  const auto tokens = IssueTokens(online.base, online.state, online.samples);
  const int64_t freeze = std::time(nullptr) + 4;
  const int64_t closes = freeze + 4;
  online.dir.WriteFile("online/evaluation.toml",
                       "freeze = " + evaluation::Rfc3339Utc(freeze) +
                           "\ncloses = " + evaluation::Rfc3339Utc(closes) + "\n");
  const auto [issued, organiser_line] =
      RunHotlapForOutput({"token", online.base, "--state", online.state, "--organiser", "eva"});
  ASSERT_EQ(issued, 0);
  const std::string organiser = organiser_line.substr(4, organiser_line.find('\n') - 4);
  auto server = std::make_unique<ServerProcess>(online.base, online.state);
  const std::string early = online.samples[0];
  const std::string late = online.samples[1];
  const auto [early_status, early_answer] = online.Upload(server->Url(), early, tokens.at(early));
  ASSERT_EQ(early_status, 200);
  EXPECT_TRUE(early_answer["place"].is_number());
  ASSERT_EQ(TrackFiles(WaitForPage(server->Url(), 1)), 1u);
  ASSERT_LT(std::time(nullptr), freeze) << "the machine was too slow to see the page before";

  ASSERT_TRUE(WaitUntil([&] { return ServedJson(server->Url()).contains("frozen_since"); }));
  const auto frozen = PublicViews(server->Url());
  EXPECT_NE(frozen.at("/").find("<div class=\"standing frozen\""), std::string::npos);

  const auto [late_status, late_answer] = online.Upload(server->Url(), late, tokens.at(late));
  ASSERT_EQ(late_status, 200);
  EXPECT_TRUE(late_answer["verdict"]["time"].is_number()) << late_answer.dump();
  EXPECT_TRUE(late_answer["place"].is_null()) << "no place among the others during a freeze";
  const Json own = Json::parse(
      Curl({"-H", "Authorization: Bearer " + tokens.at(late)}, server->Url() + "/api/entry").body,
      nullptr, false);
  EXPECT_EQ(own["verdict"]["time"], late_answer["verdict"]["time"]) << own.dump();
  EXPECT_TRUE(own["place"].is_null());
  ASSERT_TRUE(WaitUntil([&] { return TrackFiles(NewestLivePage(online.state)) == 2; }))
      << "the live standings the organisers see have the late lap";
  const auto after = PublicViews(server->Url());
  ASSERT_LT(std::time(nullptr), closes) << "the machine was too slow to compare before the close";
  for (const char* view : kPublicViews) {
    SCOPED_TRACE(view);
    EXPECT_FALSE(frozen.at(view).empty());
    EXPECT_EQ(after.at(view), frozen.at(view));
  }
  EXPECT_EQ(RunHotlap({"finalize", online.base, "--state", online.state, "--reason", "early"}), 2)
      << "a running server owns the state";
  const auto publish = [&] {
    return Curl({"-H", "Authorization: Bearer " + organiser, "-H", "Content-Type: application/json",
                 "--data", R"({"reason": "the results"})"},
                server->Url() + "/review/api/final");
  };
  EXPECT_EQ(publish().status, 409) << "uploads are open";

  while (std::time(nullptr) < closes) std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const HttpAnswer published = publish();
  EXPECT_EQ(published.status, 200) << published.body;
  const Json final_results = ServedJson(server->Url());
  EXPECT_EQ(final_results["revision"]["number"], 1);
  EXPECT_EQ(final_results["provisional"], false);
  EXPECT_EQ(TrackFiles(final_results), 2u) << "the freeze ends with the final results";
  EXPECT_EQ(server->Stop(), 0);
  server = std::make_unique<ServerProcess>(online.base, online.state);
  EXPECT_EQ(ServedJson(server->Url())["revision"]["number"], 1);
  EXPECT_EQ(server->Stop(), 0);
  EXPECT_EQ(LedgerActions(online.base, online.state, "freeze"), 1u) << "once, across restarts";
  EXPECT_EQ(LedgerActions(online.base, online.state, "final"), 1u);
}

TEST(FinalRevisions, ACorrectionIsTheNextRevisionAndTheEarlierStaysAsItWas) {
  OnlineCompetition online(4);
  const std::string base = online.source;
  online.dir.WriteFile("source/evaluation.toml",
                       "closes = " + evaluation::Rfc3339Utc(std::time(nullptr) - 60) + "\n");
  const auto finalize = [&](const std::string& reason) {
    return RunHotlap({"finalize", base, "--state", online.state, "--reason", reason});
  };
  ASSERT_EQ(finalize("first results"), 0);
  const std::string first = online.state + "final/1/";
  const auto published = FolderContents(first);
  struct stat status {};
  ASSERT_EQ(stat((first + "results.json").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0444u);
  ASSERT_EQ(stat(first.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0555u);

  fs::remove_all(base + online.samples[3]);
  ASSERT_EQ(finalize("dora's entry withdrawn <by request>"), 0);
  EXPECT_EQ(FolderContents(first), published) << "revision 1 byte for byte";

  const auto verify = [&](const std::vector<std::string>& revision) {
    std::vector<std::string> args = {"verify-final", base, "--state", online.state};
    args.insert(args.end(), revision.begin(), revision.end());
    return RunHotlapForOutput(args);
  };
  EXPECT_EQ(verify({}).first, 0);
  EXPECT_EQ(verify({"1"}).first, 1) << "dora's files are missing since revision 1";
  const std::string changed = base + online.samples[0] + "/" + online.samples[0] + ".gam";
  std::ofstream(changed, std::ios::app) << 'x';
  const auto [status_after, named] = verify({});
  EXPECT_EQ(status_after, 1);
  EXPECT_NE(named.find(changed + ": changed"), std::string::npos) << named;
  EXPECT_EQ(verify({"3"}).first, 2);

  const std::string edited = first + "results.csv";
  fs::permissions(edited, fs::perms(0644));
  std::ofstream(edited, std::ios::app) << "hand,edited\n";
  ServerProcess server(base, online.state);
  const std::string page = Curl({}, server.Url() + "/").body;
  EXPECT_NE(page.find("Revision 2 of the final results"), std::string::npos);
  EXPECT_NE(page.find("dora&#39;s entry withdrawn &lt;by request&gt;"), std::string::npos) << page;
  EXPECT_NE(page.find("<a href=\"../../final/1/\">Revision 1</a>"), std::string::npos);
  EXPECT_EQ(Curl({}, server.Url() + "/final/1/").body, published.at("index.html"));
  EXPECT_EQ(Curl({}, server.Url() + "/final/1/results.json").body, published.at("results.json"));
  EXPECT_EQ(Curl({}, server.Url() + "/final/1/results.csv").body,
            published.at("results.csv") + "hand,edited\n")
      << "served as it is";
  EXPECT_EQ(Curl({}, server.Url() + "/final/3/").status, 404);
  EXPECT_EQ(server.Stop(), 0);
  EXPECT_NE(server.Log().find("final revision 1 differs from its manifest, served as it is: " +
                              edited + ": changed"),
            std::string::npos)
      << server.Log();
}

}  // namespace
}  // namespace hl::testing
