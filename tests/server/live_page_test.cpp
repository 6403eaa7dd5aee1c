// The live page as readers get it: every file it links loads in a browser at
// a phone's width and a desktop's; reading it is never rate-limited while
// uploads still are, and a browser revalidates its copy instead of fetching
// it again.

#include <cstdio>
#include <regex>
#include <set>

#include <gtest/gtest.h>

#include "tests/server/upload_fixture.h"

namespace hl::testing {
namespace {

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

// The page as headless Chromium shows it in a window `width` pixels wide.
std::string BrowserDom(const std::string& url, int width, const std::string& profile) {
  const std::string command =
      "chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
      "--disable-background-networking --disable-component-update --disable-sync "
      "--window-size=" +
      std::to_string(width) + ",900 --virtual-time-budget=10000 --user-data-dir='" + profile +
      "' --dump-dom '" + url + "' 2>/dev/null";
  std::string dom;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) dom.append(buffer, n);
    pclose(pipe);
  }
  return dom;
}

// Every src and href of the page's own: neither a data: URL nor another site.
std::set<std::string> OwnLinks(const std::string& html) {
  static const std::regex kLink(R"re(\b(?:src|href)="([^"]*)")re");
  std::set<std::string> links;
  for (auto it = std::sregex_iterator(html.begin(), html.end(), kLink);
       it != std::sregex_iterator(); ++it) {
    const std::string link = (*it)[1];
    if (link.starts_with("data:") || link.starts_with("#") || link.find("://") != std::string::npos)
      continue;
    links.insert(link);
  }
  return links;
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
    const std::string dom =
        BrowserDom(url + "/", width, served.online.dir.MakeDir("profile-" + std::to_string(width)));
    ASSERT_NE(dom.find("<table id=\"ranking\">"), std::string::npos) << dom;
    EXPECT_NE(dom.find("uploads close 2099-06-01 16:00 UTC (2099-06-01 18:00 +02:00)"),
              std::string::npos);
    const std::set<std::string> links = OwnLinks(dom);
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

}  // namespace
}  // namespace hl::testing
