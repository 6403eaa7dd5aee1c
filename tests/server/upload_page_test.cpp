// The entrants' pages in headless Chromium at a phone's width: the upload
// form filled in and sent as a person would, the verdict it answers with,
// and sign-up through the server's own form.

#include <filesystem>

#include <gtest/gtest.h>

#include "tests/server/headless_browser.h"
#include "tests/server/upload_fixture.h"

namespace hl::testing {
namespace {

constexpr int kPhoneWidth = 390;
// A phone widens the layout to what overflows it, so widths are compared
// with the screen's, not with innerWidth.
const std::string kFitsTheScreen =
    "document.documentElement.scrollWidth <= " + std::to_string(kPhoneWidth);

TEST(ServerUploadPage, ABrowserSendsTheFormAndReadsTheVerdictOnAPhone) {
  OnlineCompetition online(1);
  const std::string anna = online.samples[0];
  const auto tokens = IssueTokens(online.base, online.state, {anna});
  ServerProcess server(online.base, online.state);
  // Named as a browser names a second download of the same file.
  const std::string track = online.dir.MakeDir("downloads") + "/eichwald (1).trk";
  std::filesystem::copy_file(online.source + anna + "/eichwald.trk", track);

  HeadlessBrowser browser(online.dir.MakeDir("profile"), kPhoneWidth);
  ASSERT_TRUE(browser.Started());
  browser.Open(server.Url() + "/upload");
  EXPECT_EQ(browser.Evaluate("document.scripts.length"), 0);
  browser.Evaluate("document.querySelector('input[name=token]').value = '" + tokens.at(anna) + "'");
  browser.ChooseFiles("input[name=track]", {track});
  browser.Evaluate("document.querySelector('form').requestSubmit()");
  ASSERT_TRUE(browser.WaitFor("document.title === 'Your verdict'"))
      << browser.Evaluate("document.body.innerText");

  const std::string text = browser.Evaluate("document.body.innerText").get<std::string>();
  EXPECT_TRUE(browser.Evaluate(kFitsTheScreen) == true)
      << "page " << browser.Evaluate("document.documentElement.scrollWidth") << " px wide";
  EXPECT_TRUE(browser.Evaluate("[...document.querySelectorAll('body *')].every(e => "
                               "e.getBoundingClientRect().right <= " +
                               std::to_string(kPhoneWidth) +
                               " || "
                               "e.closest('.scroll') !== null)") == true)
      << "only the log's box scrolls";
  EXPECT_NE(text.find("Upload 1 of entry " + anna), std::string::npos) << text;
  for (const char* words : {"Lap time\t51.23", "Track file\teichwald_1_.trk, read", "Car check\t",
                            "Game file\tnone received", "1.: 5123 Anna"}) {
    EXPECT_NE(text.find(words), std::string::npos) << words << " in\n" << text;
  }
  for (const char* key : {"car_ok", "track_valid", "track_file"}) {
    EXPECT_EQ(text.find(key), std::string::npos) << key << " in\n" << text;
  }
  EXPECT_NE(text.find("No screen shot came with the lap"), std::string::npos)
      << "a finding with what to do about it\n"
      << text;
  EXPECT_EQ(server.Stop(), 0);
}

TEST(ServerUploadPage, ABrowserSignsUpThroughTheServersOwnForm) {
  OnlineCompetition online(1);
  const std::string anna = online.samples[0];
  ServerProcess server(online.base, online.state, {"--signup"});
  HeadlessBrowser browser(online.dir.MakeDir("profile"), kPhoneWidth);
  ASSERT_TRUE(browser.Started());
  browser.Open(server.Url() + "/signup");
  EXPECT_EQ(browser.Evaluate("document.scripts.length"), 0);
  browser.Evaluate("document.querySelector('input[name=name]').value = 'Anna <b>'");
  browser.Evaluate("document.querySelector('form').requestSubmit()");
  ASSERT_TRUE(browser.WaitFor("document.title === 'You are signed up'"))
      << browser.Evaluate("document.body.innerText");
  EXPECT_TRUE(browser.Evaluate(kFitsTheScreen) == true);
  const auto token = browser.Evaluate("document.getElementById('token').textContent");
  ASSERT_TRUE(token.is_string());
  EXPECT_NE(browser.Evaluate("document.body.innerText").get<std::string>().find("Anna-b"),
            std::string::npos);

  const auto [status, answer] = online.Upload(server.Url(), anna, token.get<std::string>());
  EXPECT_EQ(status, 200) << "the token the page showed uploads";
  EXPECT_EQ(answer["entry"], "Anna-b");

  // A page from elsewhere cannot sign up; a script still gets JSON.
  const HttpAnswer foreign =
      Curl({"-H", "Origin: null", "-H", "Accept: text/html", "-F", "name=Eve"},
           server.Url() + "/api/signup");
  EXPECT_EQ(foreign.status, 403);
  EXPECT_NE(foreign.body.find("<h1>Sign-up refused</h1>"), std::string::npos) << foreign.body;
  const HttpAnswer page =
      Curl({"-H", "Origin: " + server.Url(), "-H", "Accept: text/html", "-F", "name=Eve"},
           server.Url() + "/api/signup");
  EXPECT_EQ(page.status, 201);
  EXPECT_NE(page.body.find("<code id=\"token\">"), std::string::npos) << page.body;
  EXPECT_NE(page.headers.find("Cache-Control: no-store"), std::string::npos) << page.headers;
  const HttpAnswer script = Curl({"-F", "name=Eve"}, server.Url() + "/api/signup");
  EXPECT_EQ(script.status, 201);
  EXPECT_TRUE(nlohmann::json::parse(script.body, nullptr, false).contains("token"));
  EXPECT_NE(script.headers.find("Cache-Control: no-store"), std::string::npos);
  EXPECT_EQ(server.Stop(), 0);
}

}  // namespace
}  // namespace hl::testing
