// The organisers' review console as its users and its attackers meet it:
// every refusal leaves the competition as it was; a decision made through
// the console reaches the evaluation file, the ledger, the entrant, the
// public page and a batch run; the pages work in a browser on a phone.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "tests/server/headless_browser.h"
#include "tests/server/upload_fixture.h"

namespace hl::testing {
namespace {

using Json = nlohmann::json;

// Two entrants who have uploaded (the second one's car differs from the
// reference), two organisers, and the server.
struct ReviewedCompetition {
  ReviewedCompetition()
      : online(2),
        anna(online.samples[0]),
        bert(online.samples[1]),
        entrants(IssueTokens(online.base, online.state, {anna, bert})),
        organisers(IssueTokens(online.base, online.state, {"--organiser", "ada", "bo"})),
        server(online.base, online.state) {
    EXPECT_EQ(online.Upload(server.Url(), anna, entrants.at(anna)).first, 200);
    EXPECT_EQ(online.Upload(server.Url(), bert, entrants.at(bert)).first, 200);
    WaitForPage(server.Url(), 2);
  }

  std::string Bearer(const std::string& who) const {
    const auto& tokens = organisers.contains(who) ? organisers : entrants;
    return "Authorization: Bearer " + tokens.at(who);
  }

  // Logs `token` in through the login form into the cookie jar `jar`;
  // the session's CSRF token, as the queue page's forms carry it.
  std::string LogIn(const std::string& jar, const std::string& token) const {
    const HttpAnswer login =
        Curl({"-c", jar, "--data-urlencode", "token=" + token}, server.Url() + "/review/login");
    EXPECT_EQ(login.status, 303) << login.body;
    const std::string page = Curl({"-b", jar}, server.Url() + "/review").body;
    const std::string field = "name=\"csrf\" value=\"";
    const size_t at = page.find(field);
    return at == std::string::npos ? "" : page.substr(at + field.size(), 32);
  }

  Json Api(const std::string& who, const std::string& path) const {
    return Json::parse(Curl({"-H", Bearer(who)}, server.Url() + path).body, nullptr, false);
  }

  OnlineCompetition online;
  std::string anna, bert;
  std::map<std::string, std::string> entrants, organisers;
  ServerProcess server;
};

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<Json> LedgerLines(const std::string& text) {
  std::vector<Json> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(Json::parse(line));
  return lines;
}

const Json* EntryOf(const Json& results, const std::string& entry) {
  for (const Json& item : results["entries"]) {
    if (item["entry"] == entry) return &item;
  }
  return nullptr;
}

TEST(ReviewConsole, EveryRefusalLeavesTheCompetitionAsItWas) {
  ReviewedCompetition site;
  const std::string url = site.server.Url();
  const std::string jar = site.online.dir.Path() + "jar";
  const std::string csrf = site.LogIn(jar, site.organisers.at("ada"));
  ASSERT_EQ(csrf.size(), 32u);
  const std::string penalty = "/review/entry/" + site.bert + "/penalty";
  const std::string api_penalty = "/review/api/entry/" + site.bert + "/penalty";
  const std::string json = R"({"time": 6000, "reason": "car"})";
  const auto before = FolderContents(site.online.base);
  const size_t ledger_before =
      LedgerLines(Curl({"-H", site.Bearer("ada")}, url + "/review/api/ledger").body).size();

  struct Attack {
    const char* name;
    std::vector<std::string> args;
    std::string path;
    int status;
  };
  const std::vector<Attack> attacks = {
      {"entrant token on the queue", {"-H", site.Bearer(site.anna)}, "/review", 403},
      {"entrant token on the API", {"-H", site.Bearer(site.anna)}, "/review/api/entries", 403},
      {"entrant token at the login",
       {"--data-urlencode", "token=" + site.entrants.at(site.anna)},
       "/review/login",
       403},
      {"no session on a page", {}, "/review", 303},
      {"no session on the API", {}, "/review/api/entries", 401},
      {"no session on a form", {"-d", "time=6000&reason=car"}, penalty, 303},
      {"form without CSRF", {"-b", jar, "-d", "time=6000&reason=car"}, penalty, 403},
      {"form with another CSRF",
       {"-b", jar, "-d", "csrf=" + std::string(32, '0') + "&time=6000&reason=car"},
       penalty,
       403},
      {"JSON with the cookie but no CSRF header", {"-b", jar, "-d", json}, api_penalty, 403},
      {"foreign Origin",
       {"-b", jar, "-H", "Origin: http://evil.example", "-d", "csrf=" + csrf + "&time=1&reason=x"},
       penalty,
       403},
      {"foreign Referer on a script's POST",
       {"-H", site.Bearer("ada"), "-H", "Referer: http://evil.example/x", "-d", json},
       api_penalty,
       403},
      {"organiser token uploads",
       {"-H", site.Bearer("ada"), "-F",
        "track=@" + site.online.source + site.anna + "/eichwald.trk"},
       "/api/upload",
       403},
      {"organiser token in the upload form",
       {"-F", "token=" + site.organisers.at("ada"), "-F",
        "track=@" + site.online.source + site.anna + "/eichwald.trk"},
       "/upload",
       403},
      {"penalty of six digits",
       {"-H", site.Bearer("ada"), "-d", R"({"time": 123456, "reason": "car"})"},
       api_penalty,
       400},
      {"penalty without a reason",
       {"-H", site.Bearer("ada"), "-d", R"({"time": 6000})"},
       api_penalty,
       400},
      {"malformed JSON", {"-H", site.Bearer("ada"), "-d", R"({"time": )"}, api_penalty, 400},
      {"huge body",
       {"-H", site.Bearer("ada"), "-d", std::string(100'000, ' ') + json},
       api_penalty,
       413},
      {"no such entry",
       {"-H", site.Bearer("ada"), "-d", json},
       "/review/api/entry/zed/penalty",
       404},
      {"entry climbing out",
       {"-H", site.Bearer("ada"), "--path-as-is"},
       "/review/api/entry/..",
       404},
      {"entry with an escaped slash",
       {"-H", site.Bearer("ada")},
       "/review/api/entry/" + site.bert + "%2F..",
       404},
      {"decision by GET", {"-H", site.Bearer("ada")}, api_penalty, 405},
  };
  for (const Attack& attack : attacks) {
    const HttpAnswer answer = Curl(attack.args, url + attack.path);
    EXPECT_EQ(answer.status, attack.status) << attack.name << "\n" << answer.body;
    EXPECT_NE(answer.headers.find("Cache-Control: no-store"), std::string::npos) << attack.name;
    if (attack.status == 303) {
      EXPECT_NE(answer.headers.find("Location: /review/login"), std::string::npos) << attack.name;
    }
    if (attack.status == 401) {
      EXPECT_NE(answer.headers.find("WWW-Authenticate: Bearer"), std::string::npos);
    }
    if (attack.path.starts_with("/review/api/")) {
      EXPECT_TRUE(Json::parse(answer.body, nullptr, false).contains("error")) << attack.name;
    }
  }

  // Five failed logins from one address within a minute lock it out, the
  // right token too; other addresses are not locked out.
  const std::vector<std::string> from_elsewhere = {"--interface", "127.0.0.2"};
  for (int attempt = 1; attempt <= 6; ++attempt) {
    auto args = from_elsewhere;
    args.insert(args.end(), {"--data-urlencode", "token=guess" + std::to_string(attempt)});
    EXPECT_EQ(Curl(args, url + "/review/login").status, attempt <= 5 ? 401 : 429) << attempt;
  }
  auto right = from_elsewhere;
  right.insert(right.end(), {"--data-urlencode", "token=" + site.organisers.at("bo")});
  const HttpAnswer locked = Curl(right, url + "/review/login");
  EXPECT_EQ(locked.status, 429);
  EXPECT_NE(locked.headers.find("Retry-After: "), std::string::npos);
  EXPECT_EQ(site.LogIn(site.online.dir.Path() + "jar2", site.organisers.at("bo")).size(), 32u);

  EXPECT_EQ(FolderContents(site.online.base), before);
  EXPECT_EQ(LedgerLines(Curl({"-H", site.Bearer("ada")}, url + "/review/api/ledger").body).size(),
            ledger_before);
  EXPECT_EQ(site.server.Stop(), 0) << site.server.Log();
}

TEST(ReviewConsole, APenaltyDecidedInTheConsoleReachesEveryView) {
  ReviewedCompetition site;
  const std::string url = site.server.Url();
  const std::string& bert = site.bert;

  // Unlooked entries first, by name.
  const auto queue_order = [&] {
    std::vector<std::pair<std::string, bool>> order;
    const Json queue = site.Api("ada", "/review/api/entries");
    for (const Json& row : queue["entries"]) order.emplace_back(row["entry"], row["looked_at"]);
    return order;
  };
  using Order = std::vector<std::pair<std::string, bool>>;
  EXPECT_EQ(queue_order(), (Order{{site.anna, false}, {bert, false}}));
  const HttpAnswer looked = Curl({"-H", site.Bearer("ada"), "-d", R"({"version": 1})"},
                                 url + "/review/api/entry/" + site.anna + "/looked-at");
  EXPECT_EQ(looked.status, 200) << looked.body;
  EXPECT_EQ(queue_order(), (Order{{bert, false}, {site.anna, true}}));

  // Bo penalises through the entry page's form, as a browser posts it.
  const std::string jar = site.online.dir.Path() + "jar";
  const std::string csrf = site.LogIn(jar, site.organisers.at("bo"));
  const std::string reason = "the car differs at offset 700";
  const HttpAnswer posted =
      Curl({"-b", jar, "-H", "Origin: " + url, "--data-urlencode", "csrf=" + csrf,
            "--data-urlencode", "time=6000", "--data-urlencode", "reason=" + reason},
           url + "/review/entry/" + bert + "/penalty");
  ASSERT_EQ(posted.status, 303) << posted.body;
  EXPECT_NE(posted.headers.find("Location: /review/entry/" + bert), std::string::npos);
  const std::string page = Curl({"-b", jar}, url + "/review/entry/" + bert).body;
  EXPECT_NE(page.find("has a penalty of 6000"), std::string::npos) << page;
  EXPECT_NE(page.find("by bo"), std::string::npos) << page;

  const std::string evaluation = FileText(site.online.base + "evaluation.toml");
  EXPECT_NE(evaluation.find("by = 'bo'"), std::string::npos) << evaluation;
  EXPECT_NE(evaluation.find(reason), std::string::npos) << evaluation;

  const std::string ledger_text = Curl({"-H", site.Bearer("ada")}, url + "/review/api/ledger").body;
  const auto ledger = LedgerLines(ledger_text);
  const auto decided = std::find_if(ledger.begin(), ledger.end(),
                                    [](const Json& line) { return line["action"] == "penalty"; });
  ASSERT_NE(decided, ledger.end()) << ledger_text;
  EXPECT_EQ((*decided)["actor"], "bo");
  EXPECT_EQ((*decided)["entry"], bert);
  EXPECT_EQ((*decided)["reason"], reason);
  const int64_t seq = (*decided)["seq"];
  for (const Json& later : LedgerLines(
           Curl({"-H", site.Bearer("ada")}, url + "/review/api/ledger?since=" + std::to_string(seq))
               .body))
    EXPECT_GT(later["seq"].get<int64_t>(), seq);

  const Json entrant = Json::parse(Curl({"-H", site.Bearer(bert)}, url + "/api/entry").body);
  ASSERT_EQ(entrant["decisions"].size(), 1u) << entrant.dump(2);
  EXPECT_EQ(entrant["decisions"][0]["reason"], reason);
  EXPECT_FALSE(entrant["decisions"][0].contains("actor"));
  const std::string entrant_jar = site.online.dir.Path() + "entrant-jar";
  EXPECT_EQ(Curl({"-c", entrant_jar, "--data-urlencode", "token=" + site.entrants.at(bert)},
                 url + "/entry")
                .status,
            303);
  const std::string own_page = Curl({"-b", entrant_jar}, url + "/entry").body;
  EXPECT_NE(own_page.find("Penalty of 6000"), std::string::npos) << own_page;
  EXPECT_NE(own_page.find(reason), std::string::npos) << own_page;
  EXPECT_EQ(own_page.find("by bo"), std::string::npos) << "who decided stays the organisers'";

  // The public page follows like after an upload; a batch run reads the same.
  Json published;
  for (int tries = 0; tries < 100; ++tries) {
    published = Json::parse(Curl({}, url + "/results.json").body, nullptr, false);
    const Json* shown = EntryOf(published, bert);
    if (shown && (*shown)["penalty"].is_object()) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_TRUE(EntryOf(published, bert));
  EXPECT_EQ((*EntryOf(published, bert))["penalty"]["reason"], reason);
  const Json batch = BatchJson(site.online.base);
  ASSERT_TRUE(EntryOf(batch, bert));
  EXPECT_EQ((*EntryOf(batch, bert))["penalty"]["time"], 6000);

  // A withdrawal keeps the earlier decision in the file; a file that does
  // not parse is never written.
  const HttpAnswer withdrawn = Curl({"-H", site.Bearer("ada"), "-d", R"({"reason": "appeal"})"},
                                    url + "/review/api/entry/" + bert + "/withdraw");
  EXPECT_EQ(withdrawn.status, 200) << withdrawn.body;
  EXPECT_NE(FileText(site.online.base + "evaluation.toml").find(reason), std::string::npos);
  EXPECT_TRUE((*EntryOf(BatchJson(site.online.base), bert))["penalty"].is_null());
  const std::string broken = "[[penalty]\nentry = \n";
  std::ofstream(site.online.base + "evaluation.toml", std::ios::trunc) << broken;
  const HttpAnswer refused =
      Curl({"-H", site.Bearer("ada"), "-d", R"({"time": "5", "reason": "x"})"},
           url + "/review/api/entry/" + bert + "/penalty");
  EXPECT_EQ(refused.status, 409) << refused.body;
  EXPECT_EQ(FileText(site.online.base + "evaluation.toml"), broken);
  EXPECT_EQ(site.server.Stop(), 0);
}

// Saved into $HOTLAP_REVIEW_SCREENSHOTS when set: the README's pictures.
void KeepScreenshot(HeadlessBrowser& browser, const std::string& name) {
  const char* folder = std::getenv("HOTLAP_REVIEW_SCREENSHOTS");
  if (folder == nullptr) return;
  std::ofstream(std::string(folder) + "/" + name, std::ios::binary) << browser.Screenshot();
}

TEST(ReviewConsole, AnOrganiserJudgesInABrowserOnAPhoneAndADesk) {
  ReviewedCompetition site;
  for (const int width : {390, 1280}) {
    SCOPED_TRACE(width);
    const std::string fits =
        "[...document.querySelectorAll('body *')].every(e => "
        "e.getBoundingClientRect().right <= " +
        std::to_string(width) +
        ") && document.documentElement.scrollWidth <= " + std::to_string(width);
    HeadlessBrowser browser(site.online.dir.MakeDir("profile" + std::to_string(width)), width);
    ASSERT_TRUE(browser.Started());
    browser.Open(site.server.Url() + "/review/login");
    ASSERT_TRUE(browser.WaitFor("document.title === 'Review: log in'"));
    browser.Evaluate("document.querySelector('input[name=token]').value = '" +
                     site.organisers.at("bo") + "'");
    browser.Evaluate("document.querySelector('form').requestSubmit()");
    ASSERT_TRUE(browser.WaitFor("document.title === 'Review queue'"))
        << browser.Evaluate("document.body.innerText");
    EXPECT_EQ(browser.Evaluate("document.scripts.length"), 0);
    EXPECT_TRUE(browser.Evaluate(fits) == true) << "the queue is wider than the screen";
    if (width == 390) KeepScreenshot(browser, "review-queue-phone.png");

    browser.Evaluate("document.querySelector('a[href=\"/review/entry/" + site.bert +
                     "\"]').click()");
    ASSERT_TRUE(browser.WaitFor("document.title === 'Entry " + site.bert + "'"));
    const std::string evidence = browser.Evaluate("document.body.innerText").get<std::string>();
    for (const char* words : {"Car modified", "nearest reference block at offset",
                              "offset 700: 0x54 where the reference has 0x74"})
      EXPECT_NE(evidence.find(words), std::string::npos) << words << " in\n" << evidence;
    EXPECT_TRUE(
        browser.WaitFor("[...document.images].every(i => i.complete && i.naturalWidth > 0)"))
        << "the screen shot and the track picture load";
    EXPECT_TRUE(browser.Evaluate(fits) == true) << "the evidence is wider than the screen";
    if (width == 390) KeepScreenshot(browser, "review-entry-phone.png");

    const std::string time = width == 390 ? "3000" : "4000";
    browser.Evaluate("document.querySelector('input[name=time]').value = '" + time + "'");
    browser.Evaluate(
        "document.querySelector('form[action$=penalty] input[name=reason]').value = "
        "'decided on a " +
        std::to_string(width) + " px screen'");
    browser.Evaluate("document.querySelector('form[action$=penalty]').requestSubmit()");
    ASSERT_TRUE(
        browser.WaitFor("document.body.innerText.includes('has a penalty of " + time + "')"))
        << browser.Evaluate("document.body.innerText");
    // The file sent back unchanged from the textarea, whose lines a browser
    // ends with CR LF, previews the file as it is.
    browser.Evaluate("document.querySelector('a[href=\"/review/reevaluate\"]').click()");
    ASSERT_TRUE(browser.WaitFor("document.title === 'Re-evaluate'"));
    EXPECT_TRUE(browser.Evaluate(fits) == true)
        << "the re-evaluation form is wider than the screen";
    browser.Evaluate(
        "document.querySelector('form[action=\"/review/reevaluate\"]').requestSubmit()");
    ASSERT_TRUE(browser.WaitFor("document.title === 'Re-evaluation preview'"))
        << browser.Evaluate("document.body.innerText");
    const std::string preview = browser.Evaluate("document.body.innerText").get<std::string>();
    EXPECT_NE(preview.find("The evaluation file as it is"), std::string::npos) << preview;
    EXPECT_TRUE(browser.Evaluate(fits) == true) << "the preview is wider than the screen";
    browser.Evaluate("document.querySelector('form[action$=discard]').requestSubmit()");
    ASSERT_TRUE(browser.WaitFor("document.body.innerText.includes('the preview is discarded')"))
        << browser.Evaluate("document.body.innerText");
  }
  EXPECT_NE(FileText(site.online.base + "evaluation.toml").find("decided on a 1280 px screen"),
            std::string::npos);
  EXPECT_EQ(site.server.Stop(), 0);
}

}  // namespace
}  // namespace hl::testing
