// The rules the server applies before anything reaches a path: uploaded
// file names, routes of the page and the API, closing times.

#include <gtest/gtest.h>

#include "evaluation/closing_time.h"
#include "evaluation/evaluation_file.h"
#include "server/client_address.h"
#include "server/connection_share.h"
#include "server/page_validators.h"
#include "server/request_checks.h"
#include "server/review_pages.h"
#include "server/review_request.h"
#include "server/routes.h"
#include "server/upload_names.h"
#include "tests/support/temp_dir.h"

namespace hl::server {
namespace {

TEST(ServerRules, StoredFileNames) {
  struct Case {
    FileField field;
    std::string name;
    bool accepted;
  };
  const Case cases[] = {
      {FileField::kTrack, "eichwald.trk", true},
      {FileField::kTrack, "LAP_2.TRK", true},
      {FileField::kScreen, "Screen.BMP", true},
      {FileField::kScreen, "shot.jpg", true},
      {FileField::kGame, "anna.gam", true},
      {FileField::kTrack, std::string(60, 'a') + ".trk", true},
      {FileField::kTrack, std::string(62, 'a') + ".trk", false},  // 66 characters
      {FileField::kTrack, "../eichwald.trk", false},
      {FileField::kTrack, "sub/eichwald.trk", false},
      {FileField::kTrack, ".trk", false},
      {FileField::kTrack, "lap trk", false},
      {FileField::kTrack, "eichwald.gam", false},
      {FileField::kScreen, "shot.png", false},
      {FileField::kGame, "", false},
      {FileField::kGame, "g\xc3\xa4me.gam", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(!StoredNameProblem(c.field, c.name).has_value(), c.accepted) << c.name;
  }
  EXPECT_EQ(EntryNameFromDriver("Dora M."), "Dora-M");
  EXPECT_EQ(EntryNameFromDriver("G\xc3\xb6sta"), "G-sta");
  EXPECT_EQ(EntryNameFromDriver("!!!"), "entry");
  EXPECT_TRUE(IsNewEntryName(EntryNameFromDriver(std::string(80, 'x'))));
}

// A name that breaks the rules is stored under one made from it; "" is a refusal.
TEST(ServerRules, SafeStoredNames) {
  const std::string long_stem(70, 'a');
  const std::pair<std::string, std::string> track_cases[] = {
      {"eichwald.trk", "eichwald.trk"},
      {"eichwald (1).trk", "eichwald_1_.trk"},
      {"Runde 2 \xc3\xa4.TRK", "Runde_2_.TRK"},
      {"C:\\Users\\anna\\eichwald.trk", "eichwald.trk"},
      {"../../etc/eichwald.trk", "eichwald.trk"},
      {"..hidden.trk", "hidden.trk"},
      {long_stem + ".trk", std::string(60, 'a') + ".trk"},
      {"(1).trk", "_1_.trk"},
      {".trk", ""},
      {"\xc3\xa4\xc3\xb6.trk", ""},
      {"eichwald.gam", ""},
      {"eichwald", ""},
      {"", ""},
  };
  for (const auto& [received, stored] : track_cases) {
    const auto name = StoredName(FileField::kTrack, received);
    EXPECT_EQ(name.value_or(""), stored) << received;
    if (name) {
      EXPECT_FALSE(StoredNameProblem(FileField::kTrack, *name)) << *name;
    }
  }
  EXPECT_EQ(StoredName(FileField::kScreen, "screen (2).JPG").value_or(""), "screen_2_.JPG");
  const auto refused = StoredName(FileField::kScreen, "shot\n(1).png");
  ASSERT_FALSE(refused);
  EXPECT_NE(refused.error().what.find("\"shot\\x0a(1).png\""), std::string::npos)
      << refused.error().what;
}

TEST(ServerRules, Routes) {
  struct Case {
    std::string method, path;
    unsigned status;
    std::string file;
  };
  const Case cases[] = {
      {"GET", "/", 200, "index.html"},
      {"HEAD", "/results.csv", 200, "results.csv"},
      {"GET", "/entries/003-cleo/screen.jpg", 200, "entries/003-cleo/screen.jpg"},
      {"GET", "/entries/003-cleo/screen.png", 404, ""},  // the page has no PNG screens
      {"HEAD", "/api/entry", 200, ""},
      {"GET", "/entries/../../hotlap-eval.sqlite", 404, ""},
      {"GET", "/entries/003-cleo/", 404, ""},
      {"GET", "/entries/.x/track.png", 404, ""},
      {"GET", "/versions/anna/1/eichwald.trk", 404, ""},
      {"POST", "/", 405, ""},
      {"GET", "/api/upload", 405, ""},
      {"POST", "/api/signup", 404, ""},  // not offered
      {"GET", "/signup", 404, ""},
      {"GET", "results.json", 400, ""},
  };
  for (const Case& c : cases) {
    const Routed routed = RouteRequest(c.method, c.path, false);
    EXPECT_EQ(routed.status, c.status) << c.method << ' ' << c.path;
    EXPECT_EQ(routed.file, c.file) << c.path;
  }
  EXPECT_EQ(RouteRequest("POST", "/api/signup", true).route, Route::kApiSignup);
  EXPECT_EQ(RouteRequest("GET", "/signup", true).route, Route::kSignupForm);
  EXPECT_EQ(RouteRequest("POST", "/api/entry", false).allow, "GET, HEAD");
  EXPECT_STREQ(PageFileType("entries/003-cleo/screen.jpg"), "image/jpeg");
}

TEST(ServerRules, ReviewRoutes) {
  struct Case {
    std::string method, path;
    Route route;
    unsigned status;
    std::string entry, action;
  };
  const Case cases[] = {
      {"GET", "/review", Route::kReviewQueue, 200, "", ""},
      {"POST", "/review", Route::kNone, 405, "", ""},
      {"GET", "/review/login", Route::kReviewLoginForm, 200, "", ""},
      {"POST", "/review/login", Route::kReviewLogin, 200, "", ""},
      {"GET", "/review/logout", Route::kNone, 405, "", ""},
      {"GET", "/review/entry/2-bert", Route::kReviewEntry, 200, "2-bert", ""},
      {"POST", "/review/entry/2-bert/penalty", Route::kReviewDecide, 200, "2-bert", "penalty"},
      {"GET", "/review/entry/2-bert/penalty", Route::kNone, 405, "", ""},
      {"POST", "/review/entry/2-bert/delete", Route::kNone, 404, "", ""},
      {"POST", "/review/api/entry/a/looked-at", Route::kReviewApiDecide, 200, "a", "looked-at"},
      {"GET", "/review/api/entry/a", Route::kReviewApiEntry, 200, "a", ""},
      {"GET", "/review/api/entries", Route::kReviewApiEntries, 200, "", ""},
      {"GET", "/review/api/ledger", Route::kReviewApiLedger, 200, "", ""},
      {"GET", "/review/entry/a/version/3/eichwald.trk", Route::kReviewDownload, 200, "a", ""},
      {"GET", "/review/entry/a/version/03/eichwald.trk", Route::kNone, 404, "", ""},
      {"GET", "/review/api/entry/a/version/3/eichwald.trk", Route::kNone, 404, "", ""},
      {"GET", "/review/entry/..", Route::kNone, 404, "", ""},
      {"GET", "/review/entry/a/version/3/..", Route::kNone, 404, "", ""},
      {"GET", "/review/entry/a%2F..%2Fb", Route::kNone, 404, "", ""},
      {"GET", "/review/entry/a\"b", Route::kNone, 404, "", ""},
      {"GET", "/review/entry/", Route::kNone, 404, "", ""},
      {"GET", "/review/", Route::kNone, 404, "", ""},
      {"GET", "/entry", Route::kEntrantPage, 200, "", ""},
      {"POST", "/entry", Route::kEntrantLogin, 200, "", ""},
      {"GET", "/review/reevaluate", Route::kReviewReevaluateForm, 200, "", ""},
      {"POST", "/review/reevaluate", Route::kReviewReevaluate, 200, "", ""},
      {"POST", "/review/api/reevaluate", Route::kReviewApiReevaluate, 200, "", ""},
      {"GET", "/review/api/reevaluate", Route::kNone, 405, "", ""},
      {"GET", "/review/reevaluate/0a1b", Route::kReviewPreview, 200, "", ""},
      {"POST", "/review/reevaluate/0a1b/apply", Route::kReviewPreviewDecide, 200, "", "apply"},
      {"POST", "/review/api/reevaluate/0a1b/discard", Route::kReviewApiPreviewDecide, 200, "",
       "discard"},
      {"GET", "/review/reevaluate/0a1b/apply", Route::kNone, 405, "", ""},
      {"POST", "/review/reevaluate/0a1b/delete", Route::kNone, 404, "", ""},
      {"GET", "/review/api/reevaluate/0a1b", Route::kNone, 404, "", ""},
      {"GET", "/review/reevaluate/..", Route::kNone, 404, "", ""},
      {"GET", "/review/reevaluate/", Route::kNone, 404, "", ""},
  };
  for (const Case& c : cases) {
    const Routed routed = RouteRequest(c.method, c.path, false);
    EXPECT_EQ(routed.route, c.route) << c.method << ' ' << c.path;
    EXPECT_EQ(routed.status, c.status) << c.method << ' ' << c.path;
    EXPECT_EQ(routed.entry, c.entry) << c.path;
    EXPECT_EQ(routed.action, c.action) << c.path;
  }
  const Routed download = RouteRequest("HEAD", "/review/entry/a/version/12/s.jpg", false);
  EXPECT_EQ(download.version, 12);
  EXPECT_EQ(download.file, "s.jpg");
  EXPECT_EQ(RouteRequest("POST", "/review/api/reevaluate/0a1b/apply", false).preview, "0a1b");
  EXPECT_TRUE(ForConsole(Route::kReviewLoginForm) && ForConsole(Route::kEntrantLogin) &&
              IsReviewApi(Route::kReviewApiLedger) && IsReviewApi(Route::kReviewApiPreviewDecide));
  EXPECT_FALSE(ForConsole(Route::kApiEntry) || IsReviewApi(Route::kReviewEntry));
}

TEST(ServerRules, ReviewRequestParts) {
  const auto fields = FormFields("csrf=ab12&reason=car+modified%2C+offset+700&time=6000&empty=");
  ASSERT_TRUE(fields);
  EXPECT_EQ(fields->at("reason"), "car modified, offset 700");
  EXPECT_EQ(fields->at("empty"), "");
  for (const char* broken : {"a=%", "a=%4", "a=%zz", "a=1&a=2"})
    EXPECT_FALSE(FormFields(broken)) << broken;
  EXPECT_EQ(CookieValue("x=1; hl_review=abc;hl_review2=no", "hl_review"), "abc");
  EXPECT_EQ(CookieValue("xhl_review=abc", "hl_review"), "");
  EXPECT_EQ(CookieValue("", "hl_review"), "");
}

// A receiver's answer is text from the network: the queue shows it escaped.
TEST(ServerRules, QueueListsGivenUpDeliveriesEscaped) {
  const FailedDelivery failed{
      .receiver = "https://hooks.example",
      .event = {{"event", "upload"}, {"at", "2026-12-09T07:00:00Z"}, {"entry", "anna"}},
      .attempts = 17,
      .problem = "HTTP 500 <script>x</script>"};
  const std::string page = ReviewQueuePage({}, {failed}, {.organiser = "ada", .csrf = "c"});
  EXPECT_NE(page.find("Webhook deliveries given up"), std::string::npos);
  EXPECT_NE(page.find("to https://hooks.example: 17 attempts"), std::string::npos) << page;
  EXPECT_EQ(page.find("<script>"), std::string::npos);
  EXPECT_EQ(ReviewQueuePage({}, {}, {.organiser = "ada", .csrf = "c"}).find("given up"),
            std::string::npos);
}

TEST(ServerRules, RequestHeads) {
  struct Framing {
    std::string version;
    HeaderLines headers;
    bool sound;
  };
  const Framing framings[] = {
      {"HTTP/1.1", {{"Host", "x"}, {"Content-Length", "5"}}, true},
      {"HTTP/1.0", {}, true},
      {"HTTP/1.1", {}, false},
      {"HTTP/1.1", {{"Host", "x"}, {"Content-Length", "5"}, {"content-length", "5"}}, false},
      {"HTTP/1.1", {{"Host", "x"}, {"Content-Length", "5"}, {"Content-Length", "9"}}, false},
      {"HTTP/1.1",
       {{"Host", "x"}, {"Content-Length", "5"}, {"Transfer-Encoding", "chunked"}},
       false},
  };
  for (const Framing& c : framings) {
    EXPECT_EQ(!FramingProblem(c.version, c.headers), c.sound) << c.headers.size();
  }
  EXPECT_EQ(BearerTokenOf("bearer abc"), "abc");
  EXPECT_EQ(BearerTokenOf("BEARER abc"), "abc");
  EXPECT_EQ(BearerTokenOf("Basic abc"), "");
  EXPECT_EQ(BearerTokenOf("Bearer "), "");
  EXPECT_TRUE(IsMultipartForm("Multipart/Form-Data; boundary=x"));
  EXPECT_FALSE(IsMultipartForm("multipart/form-datax"));
  EXPECT_TRUE(PostedFromOwnPages("", "", "h:8080"));  // a program, not a browser
  EXPECT_TRUE(PostedFromOwnPages("http://h:8080", "", "h:8080"));
  EXPECT_TRUE(PostedFromOwnPages("", "https://h:8080/upload?x", "h:8080"));
  EXPECT_FALSE(PostedFromOwnPages("https://evil.example", "http://h:8080/", "h:8080"));
  EXPECT_FALSE(PostedFromOwnPages("null", "", "h:8080"));
  EXPECT_FALSE(PostedFromOwnPages("", "http://h:8080.evil.example/", "h:8080"));
  EXPECT_EQ(LogSafe("/a\x1b[31m\r\n\x7f\\"), "/a\\x1b[31m\\x0d\\x0a\\x7f\\x5c");
}

TEST(ServerRules, ClientBehindTrustedProxies) {
  TrustedProxies proxies;
  ASSERT_TRUE(proxies.Add("10.0.0.0/8"));
  ASSERT_TRUE(proxies.Add("fd00::1"));
  for (const char* bad : {"10.0.0.0/33", "10.0.0/8", "host", "::1/129", "1.2.3.4/"}) {
    EXPECT_FALSE(ParseAddressRange(bad)) << bad;
  }
  struct Case {
    std::string peer, forwarded_for, forwarded, client;
  };
  const Case cases[] = {
      {"192.0.2.7", "198.51.100.1", "", "192.0.2.7"},  // not a proxy: its header is ignored
      {"10.1.2.3", "198.51.100.1", "", "198.51.100.1"},
      {"10.1.2.3", "203.0.113.9, 198.51.100.1, 10.9.9.9", "", "198.51.100.1"},
      {"10.1.2.3", "10.2.2.2, 10.3.3.3", "", "10.2.2.2"},
      {"::ffff:10.1.2.3", "198.51.100.1", "", "198.51.100.1"},
      {"fd00::1", "2001:db8::5", "", "2001:db8::5"},
      {"10.1.2.3", "198.51.100.1, junk", "", "10.1.2.3"},
      {"10.1.2.3", "", "", "10.1.2.3"},
      {"10.1.2.3", "203.0.113.1", R"(for=198.51.100.1;proto=https, for="[2001:db8::5]:443")",
       "2001:db8::5"},
      {"10.1.2.3", "", "for=198.51.100.1:8080", "198.51.100.1"},
      {"10.1.2.3", "", "for=unknown", "10.1.2.3"},
      {"10.1.2.3", "", "proto=https", "10.1.2.3"},
      {"10.1.2.3", "", "for=1.2.3.4;for=5.6.7.8", "10.1.2.3"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ClientAddressOf(c.peer, c.forwarded_for, c.forwarded, proxies), c.client)
        << c.peer << " | " << c.forwarded_for << " | " << c.forwarded;
  }
}

TEST(ServerRules, ConnectionShare) {
  ConnectionShare share(4, 2);
  const int connections[6] = {};
  EXPECT_TRUE(share.Admit(&connections[0], "a", false));
  EXPECT_TRUE(share.Admit(&connections[1], "a", false));
  EXPECT_FALSE(share.Admit(&connections[2], "a", false));  // a's share is used
  EXPECT_TRUE(share.Admit(&connections[3], "p", true));    // a proxy: no share of its own
  EXPECT_TRUE(share.Admit(&connections[4], "b", false));
  EXPECT_FALSE(share.Admit(&connections[5], "c", false));  // the cap is reached
  EXPECT_FALSE(share.Move(&connections[3], "a", false));   // the proxy's client is a
  EXPECT_FALSE(share.Admitted(&connections[3]));
  share.Release(&connections[0]);
  EXPECT_TRUE(share.Admit(&connections[2], "a", false));
  EXPECT_TRUE(share.Admitted(&connections[2]));
}

TEST(ServerRules, ClosingTimes) {
  struct Case {
    std::string text;
    std::optional<std::string> utc;
  };
  const Case cases[] = {
      {"2026-12-24T18:00:00+01:00", "2026-12-24T17:00:00Z"},
      {"2026-12-24 18:00:00.25-05:30", "2026-12-24T23:30:00Z"},
      {"2028-02-29T00:00:00Z", "2028-02-29T00:00:00Z"},
      {"2026-02-29T00:00:00Z", std::nullopt},
      {"2026-12-24T18:00:00", std::nullopt},  // no offset
      {"2026-12-24T24:00:00Z", std::nullopt},
      {"2026-12-24T18:00:00+01:00 ", std::nullopt},
  };
  for (const Case& c : cases) {
    const auto time = evaluation::ParseClosingTime(c.text);
    ASSERT_EQ(time.has_value(), c.utc.has_value()) << c.text;
    if (time) {
      EXPECT_EQ(evaluation::Rfc3339Utc(time->utc_seconds), *c.utc);
    }
  }
  const auto local = evaluation::ParseClosingTime("2026-12-24T18:00:00+01:00");
  EXPECT_EQ(evaluation::CompetitionText(*local), "2026-12-24 18:00 +01:00");
}

TEST(ServerRules, EvaluationFileKeepsClosesAndFinal) {
  testing::TempDir dir;
  const std::string good =
      dir.WriteFile("good.toml", "closes = 2026-12-24T18:00:00+01:00\nfinal = true\n");
  const auto file = evaluation::ReadEvaluationFile(good, dir.Path(), false);
  ASSERT_TRUE(file) << file.error().Describe();
  EXPECT_TRUE(file->closing.final);
  EXPECT_EQ(evaluation::Rfc3339Utc(file->closing.closes->utc_seconds), "2026-12-24T17:00:00Z");
  for (const char* bad :
       {"closes = 2026-12-24T18:00:00\n", "closes = \"tomorrow\"\n", "final = \"yes\"\n"}) {
    const std::string path = dir.WriteFile("bad.toml", bad);
    const auto refused = evaluation::ReadEvaluationFile(path, dir.Path(), false);
    ASSERT_FALSE(refused) << bad;
    EXPECT_NE(refused.error().what.find("line 1: "), std::string::npos) << refused.error().what;
  }
}

TEST(ServerRules, PageFilesRevalidate) {
  struct stat file {};
  file.st_ino = 0x1234;
  file.st_size = 5000;
  file.st_mtim = {.tv_sec = 1765300000, .tv_nsec = 5};  // Tue, 09 Dec 2025 17:06:40 GMT
  const PageValidators validators = ValidatorsOf(file);
  ASSERT_EQ(validators.last_modified, "Tue, 09 Dec 2025 17:06:40 GMT");
  const std::string etag = validators.etag;
  struct Case {
    std::string if_none_match, if_modified_since;
    bool not_modified;
  };
  const Case cases[] = {
      {"", "", false},
      {etag, "", true},
      {"W/" + etag, "", true},
      {"\"other\", " + etag, "", true},
      {"*", "", true},
      {"\"other\"", "", false},
      {"\"other\"", "Tue, 09 Dec 2025 17:06:40 GMT", false},  // the tag decides
      {"", "Tue, 09 Dec 2025 17:06:40 GMT", true},
      {"", "Wed, 10 Dec 2025 08:00:00 GMT", true},
      {"", "Tue, 09 Dec 2025 17:06:39 GMT", false},
      {"", "yesterday", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NotModified(validators, c.if_none_match, c.if_modified_since), c.not_modified)
        << c.if_none_match << " | " << c.if_modified_since;
  }
  struct stat replaced = file;  // a new page's file in its place
  replaced.st_ino += 1;
  EXPECT_NE(ValidatorsOf(replaced).etag, etag);
}

}  // namespace
}  // namespace hl::server
