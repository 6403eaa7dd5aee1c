// The live page as readers get it: every file it links loads in a browser at
// a phone's width and a desktop's; reading it is never rate-limited while
// uploads still are, and a browser revalidates its copy instead of fetching
// it again.

#include <sys/stat.h>

#include <filesystem>
#include <regex>
#include <set>

#include <gtest/gtest.h>

#include "tests/server/headless_browser.h"
#include "tests/server/upload_fixture.h"

namespace hl::testing {
namespace {

namespace fs = std::filesystem;

// The uploads of the sample's first `entrants` entries; their page.
struct ServedCompetition {
  explicit ServedCompetition(int entrants, const std::vector<std::string>& extra = {})
      : online(entrants), server(online.base, online.state, extra) {
    const auto tokens = IssueTokens(online.base, online.state, online.samples);
    for (const std::string& sample : online.samples) {
      EXPECT_EQ(online.Upload(server.Url(), sample, tokens.at(sample)).first, 200) << sample;
    }
    WaitForPage(server.Url(), online.samples.size());
  }

  OnlineCompetition online;
  ServerProcess server;
};

// Every src and href of the page's own: neither a data: URL nor another site.
std::set<std::string> OwnLinks(const std::vector<std::string>& all) {
  std::set<std::string> links;
  for (const std::string& link : all) {
    if (link.starts_with("data:") || link.starts_with("#") || link.find("://") != std::string::npos)
      continue;
    links.insert(link);
  }
  return links;
}

// The same of a page's HTML as the server sends it.
std::set<std::string> OwnLinks(const std::string& html) {
  static const std::regex kLink(R"re(\b(?:src|href)="([^"]*)")re");
  std::vector<std::string> all;
  for (auto it = std::sregex_iterator(html.begin(), html.end(), kLink);
       it != std::sregex_iterator(); ++it) {
    all.push_back((*it)[1]);
  }
  return OwnLinks(all);
}

std::string HeaderValue(const std::string& headers, const std::string& name) {
  const std::regex line("(?:^|\r?\n)" + name + ": ([^\r\n]*)", std::regex::icase);
  std::smatch found;
  return std::regex_search(headers, found, line) ? found[1].str() : "";
}

TEST(LivePage, EveryOwnLinkLoadsAtPhoneAndDesktopWidth) {
  ServedCompetition served(4, {"--closes", "2099-06-01T18:00:00+02:00"});
  const std::string url = served.server.Url();
  for (const int width : {390, 1280}) {
    SCOPED_TRACE(width);
    HeadlessBrowser browser(served.online.dir.MakeDir("profile-" + std::to_string(width)), width);
    ASSERT_TRUE(browser.Started());
    browser.Open(url + "/");
    ASSERT_TRUE(browser.WaitFor("document.querySelector('#ranking') !== null"));
    EXPECT_NE(browser.Evaluate("document.querySelector('.uploads').textContent")
                  .get<std::string>()
                  .find("uploads close 2099-06-01 16:00 UTC (2099-06-01 18:00 +02:00)"),
              std::string::npos);
    // Every picture, those that wait to be scrolled near too, loads.
    browser.Evaluate("for (const i of document.images) i.loading = 'eager'");
    ASSERT_TRUE(browser.WaitFor("[...document.images].every(i => i.complete)"));
    EXPECT_EQ(browser.Evaluate("[...document.images].filter(i => i.naturalWidth === 0)"
                               ".map(i => i.getAttribute('src'))"),
              nlohmann::json::array());
    const std::set<std::string> links =
        OwnLinks(browser
                     .Evaluate("[...document.querySelectorAll('[src], [href]')]"
                               ".map(e => e.getAttribute('src') ?? e.getAttribute('href'))")
                     .get<std::vector<std::string>>());
    EXPECT_TRUE(links.contains("upload"));
    EXPECT_TRUE(links.contains("chart.png"));
    EXPECT_TRUE(links.contains("ghosts.png"));
    size_t screens = 0;
    for (const std::string& link : links) {
      SCOPED_TRACE(link);
      const HttpAnswer answer = Curl({}, url + "/" + link);
      EXPECT_EQ(answer.status, 200);
      EXPECT_FALSE(answer.body.empty());
      const bool picture = link.ends_with(".png") || link.ends_with(".jpg");
      EXPECT_EQ(HeaderValue(answer.headers, "Content-Type").starts_with("image/"), picture);
      screens += link.ends_with("/screen.jpg");
    }
    EXPECT_EQ(screens, 3u) << "every entry with a screen shot shows it";
  }
  EXPECT_EQ(served.server.Stop(), 0);
  // What the browser fetched itself came too.
  const std::string log = served.server.Log();
  EXPECT_NE(log.find(" GET /chart.png 200 "), std::string::npos) << log;
  EXPECT_FALSE(std::regex_search(
      log, std::regex(" GET /(entries/[^ ]*|chart\\.png|ghosts\\.png|upload) [45][0-9][0-9] ")))
      << log;
}

TEST(LivePage, ReadersAreNeverRateLimitedAndUploadsStillAre) {
  ServedCompetition served(1, {"--rate-limit", "3"});
  const std::string url = served.server.Url();
  const std::set<std::string> pictures = OwnLinks(Curl({}, url + "/").body);
  ASSERT_GE(pictures.size(), 5u);
  for (int view = 0; view < 30; ++view) {
    ASSERT_EQ(Curl({}, url + "/").status, 200) << "view " << view;
    for (const std::string& link : pictures) {
      if (link == "upload") continue;
      ASSERT_EQ(Curl({}, url + "/" + link).status, 200) << "view " << view << ": " << link;
    }
  }

  const HttpAnswer chart = Curl({}, url + "/chart.png");
  EXPECT_EQ(HeaderValue(chart.headers, "Cache-Control"), "no-cache");
  const std::string etag = HeaderValue(chart.headers, "ETag");
  const std::string modified = HeaderValue(chart.headers, "Last-Modified");
  ASSERT_FALSE(etag.empty());
  ASSERT_FALSE(modified.empty());
  for (const std::string& condition :
       {"If-None-Match: " + etag, "If-Modified-Since: " + modified}) {
    SCOPED_TRACE(condition);
    const HttpAnswer again = Curl({"-H", condition}, url + "/chart.png");
    EXPECT_EQ(again.status, 304);
    EXPECT_TRUE(again.body.empty());
    EXPECT_EQ(HeaderValue(again.headers, "ETag"), etag);
  }
  EXPECT_EQ(Curl({"-H", "If-None-Match: \"other\""}, url + "/chart.png").status, 200);

  // Uploads still count: a fourth within the minute waits.
  int limited = 0;
  for (int upload = 0; upload < 4; ++upload) {
    limited += Curl({"-F", "track=@/dev/null"}, url + "/api/upload").status == 429;
  }
  EXPECT_GE(limited, 1);
  EXPECT_EQ(served.server.Stop(), 0);
}

// The page folder of the highest number under the state.
std::string NewestPage(const std::string& state) {
  std::string newest;
  int64_t highest = -1;
  for (const auto& item : fs::directory_iterator(state + "pages")) {
    const std::string name = item.path().filename().string();
    if (!name.starts_with("run-")) continue;
    if (const int64_t number = std::stoll(name.substr(4)); number > highest) {
      highest = number;
      newest = item.path().string() + "/";
    }
  }
  return newest;
}

ino_t InodeOf(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 ? status.st_ino : 0;
}

// A restart builds on the page the clean stop kept, so an unchanged picture
// is not made again, yet an entry whose files changed while the server was
// down is shown as they are now: the pictures are a fresh export's.
TEST(LivePage, AfterARestartShowsWhatChangedWhileTheServerWasDown) {
  OnlineCompetition online(4);
  for (const std::string& sample : online.samples)
    fs::copy(online.source + sample, online.base + sample);
  const size_t tracks = BatchJson(online.base)["ranking"].size();
  std::string kept;
  {
    ServerProcess server(online.base, online.state);
    WaitForPage(server.Url(), tracks);
    kept = NewestPage(online.state);
    ASSERT_EQ(server.Stop(), 0);
  }
  // The track picture of an entry other than the first, which changes.
  std::string unchanged;
  for (const auto& item : fs::recursive_directory_iterator(kept + "entries")) {
    const std::string path = fs::relative(item.path(), kept).string();
    if (path.ends_with("/track.png") && path.find("-" + online.samples[0] + "/") == path.npos) {
      unchanged = path;
      break;
    }
  }
  const ino_t unchanged_inode = InodeOf(kept + unchanged);
  ASSERT_NE(unchanged_inode, 0u);
  // The first entry now holds the second one's files, under its own name.
  const std::string changed = online.base + online.samples[0];
  fs::remove_all(changed);
  fs::copy(online.source + online.samples[1], changed);

  ServerProcess again(online.base, online.state);
  WaitForPage(again.Url(), tracks);
  const std::string page = NewestPage(online.state);
  ASSERT_NE(page, kept);
  EXPECT_EQ(InodeOf(page + unchanged), unchanged_inode) << "an unchanged picture was made again";
  ASSERT_EQ(again.Stop(), 0);
  const std::string fresh = online.dir.Path() + "fresh/";
  ASSERT_EQ(RunHotlap({"--batch", online.base, "--export", fresh}), 0);
  EXPECT_EQ(FolderContents(page + "entries"), FolderContents(fresh + "entries"));
}

}  // namespace
}  // namespace hl::testing
