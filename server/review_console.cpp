#include "server/review_console.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>

#include "publish/export_names.h"
#include "publish/page_pictures.h"
#include "server/access_token.h"
#include "server/entrant_pages.h"
#include "server/request_checks.h"
#include "server/review_pages.h"

namespace hl::server {
namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kCookieName = "hl_review";
constexpr const char* kEntrantCookieName = "hl_entry";
constexpr const char* kHtmlType = "text/html; charset=utf-8";
constexpr uint64_t kLargestDownload = 16u << 20;  // above any upload's file

std::string JsonText(const Json& json) {
  return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

bool IsPost(Route route) {
  return route == Route::kReviewLogin || route == Route::kReviewLogout ||
         route == Route::kReviewDecide || route == Route::kReviewApiDecide ||
         route == Route::kEntrantLogin || route == Route::kReviewReevaluate ||
         route == Route::kReviewApiReevaluate || route == Route::kReviewPreviewDecide ||
         route == Route::kReviewApiPreviewDecide || route == Route::kReviewFinal ||
         route == Route::kReviewApiFinal;
}

// A JSON value handed to the desk as the text it checks: numbers as
// written, anything else as its JSON so the desk's sentence names it.
std::string DeskText(const Json& value) {
  if (value.is_null()) return "";
  return value.is_string() ? value.get<std::string>() : value.dump();
}

// "12" or 12 as a version's number; 0 for anything else.
int64_t VersionOf(const Json& value) {
  if (value.is_number_integer()) return value.get<int64_t>();
  if (!value.is_string()) return 0;
  const std::string text = value.get<std::string>();
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
    return 0;
  return std::stoll(text);
}

int64_t Now() { return static_cast<int64_t>(std::time(nullptr)); }

// The CSRF token a request sent: a form's field `csrf`, else the header.
std::string SentCsrf(const ReviewRequest& request) {
  if (!IsReviewApi(request.routed.route)) {
    const auto fields = FormFields(request.body);
    if (fields && fields->contains("csrf")) return fields->at("csrf");
  }
  return request.csrf_header;
}

// The bytes of a regular file no larger than kLargestDownload, read whole.
std::optional<std::string> SmallFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat status {};
  std::optional<std::string> bytes;
  if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
      static_cast<uint64_t>(status.st_size) <= kLargestDownload) {
    bytes.emplace(static_cast<size_t>(status.st_size), '\0');
    size_t done = 0;
    while (done < bytes->size()) {
      const ssize_t got = read(fd, bytes->data() + done, bytes->size() - done);
      if (got <= 0) break;
      done += static_cast<size_t>(got);
    }
    if (done != bytes->size()) bytes.reset();
  }
  close(fd);
  return bytes;
}

}  // namespace

ReviewReply JsonAnswer(unsigned status, const Json& json) {
  return {.status = status, .body = JsonText(json)};
}

ReviewReply SeeOther(const std::string& location) {
  return {.status = 303, .body = "", .type = kHtmlType, .headers = {{"Location", location}}};
}

ReviewConsole::ReviewConsole(const ServerOptions& options, const StateFolders& folders,
                             ReviewDesk& desk, VersionStore& store, LiveResults& live,
                             Reevaluations& reevaluations, PublicResults& public_results,
                             WebhookNotifier* notifier)
    : options_(options),
      folders_(folders),
      desk_(desk),
      store_(store),
      live_(live),
      reevaluations_(reevaluations),
      notifier_(notifier),
      public_(public_results) {}

size_t ReviewConsole::BodyLimit(const ReviewRequest& request) {
  const Route route = request.routed.route;
  const bool proposal = route == Route::kReviewReevaluate || route == Route::kReviewApiReevaluate;
  return proposal && Identify(request, Now()).refusal == 0 ? kProposalBodyLimit : kBodyLimit;
}

bool ReviewConsole::IsOrganiserToken(std::string_view token) {
  return desk_.OrganiserOfToken(token).has_value();
}

Json ReviewConsole::EntrantDecisions(const std::string& entry) {
  return desk_.EntrantDecisions(entry);
}

ReviewReply ReviewConsole::Answer(const ReviewRequest& request) {
  const int64_t now = Now();
  const Route route = request.routed.route;
  if (request.body_too_large)
    return Refused(request, 413,
                   "the request is larger than the " + std::to_string(BodyLimit(request) / 1024) +
                       " KiB it may be");
  if (IsPost(route) && !PostedFromOwnPages(request.origin, request.referer, request.host))
    return Refused(request, 403, "the review takes forms from this server's own pages only");
  if (route == Route::kReviewLoginForm)
    return {.status = 200, .body = ReviewLoginPage(""), .type = kHtmlType};
  if (route == Route::kReviewLogin) return Login(request, now);
  if (route == Route::kEntrantLogin) return EntrantLogin(request, now);
  if (route == Route::kEntrantPage) return EntrantPage(request, now);
  const Caller caller = Identify(request, now);
  if (caller.refusal == 401 && !IsReviewApi(route)) return SeeOther("/review/login");
  if (caller.refusal != 0) return Refused(request, caller.refusal, caller.why);
  // A session's POST must prove it comes from the session's own pages.
  if (IsPost(route) && !caller.session.empty()) {
    const std::string sent = SentCsrf(request);
    if (sent.empty() || !SameHash(TokenHash(sent), TokenHash(caller.csrf)))
      return Refused(request, 403,
                     "the form is out of date or not from this server: reload the page and try "
                     "again");
  }
  return Dispatch(request, caller);
}

ReviewReply ReviewConsole::Dispatch(const ReviewRequest& request, const Caller& caller) {
  const ReviewViewer viewer{caller.organiser, caller.csrf};
  switch (request.routed.route) {
    case Route::kReviewLogout:
      return Logout(caller);
    case Route::kReviewQueue:
      return {
          .status = 200,
          .body = ReviewQueuePage(
              desk_.Queue(),
              notifier_ ? notifier_->FailedDeliveries() : std::vector<FailedDelivery>{}, viewer),
          .type = kHtmlType};
    case Route::kReviewApiEntries: {
      Json entries = Json::array();
      for (const QueueRow& row : desk_.Queue()) entries.push_back(QueueRowJson(row));
      return JsonAnswer(200, {{"entries", std::move(entries)}});
    }
    case Route::kReviewEntry:
      return EntryPage(request, caller);
    case Route::kReviewApiEntry: {
      const auto facts = desk_.EntryFacts(request.routed.entry);
      if (!facts) return Refused(request, 404, "there is no entry " + request.routed.entry);
      return JsonAnswer(200, *facts);
    }
    case Route::kReviewDecide:
    case Route::kReviewApiDecide:
      return Decide(request, caller);
    case Route::kReviewDownload:
      return Download(request);
    case Route::kReviewApiLedger:
      return Ledger(request);
    case Route::kReviewReevaluateForm:
      return ReevaluateForm(caller);
    case Route::kReviewReevaluate:
    case Route::kReviewApiReevaluate:
      return Reevaluate(request, caller);
    case Route::kReviewPreview:
      return PreviewShown(request, caller);
    case Route::kReviewPreviewDecide:
    case Route::kReviewApiPreviewDecide:
      return DecideReevaluation(request, caller);
    case Route::kReviewFinal:
    case Route::kReviewApiFinal:
      return PublishFinal(request, caller);
    default:
      return Refused(request, 404, "there is no such review page");
  }
}

ReviewConsole::Caller ReviewConsole::Identify(const ReviewRequest& request, int64_t now) {
  const std::string bearer = BearerTokenOf(request.authorization);
  if (!bearer.empty()) {
    if (const auto organiser = desk_.OrganiserOfToken(bearer)) return {.organiser = *organiser};
    if (store_.EntryOfToken(TokenHash(bearer)))
      return {.refusal = 403, .why = "an entrant's token does not open the review"};
    return {.refusal = 401, .why = "the token is not an organiser's"};
  }
  if (const auto session = sessions_.Find(CookieValue(request.cookie, kCookieName), now))
    return {.organiser = session->who, .session = session->id, .csrf = session->csrf};
  return {.refusal = 401, .why = "log in first, or send an organiser's token as Bearer"};
}

ReviewReply ReviewConsole::Login(const ReviewRequest& request, int64_t now) {
  if (const auto wait = LockedOut(request, now)) {
    return {.status = 429,
            .body = ReviewLoginPage("Too many failed logins from this address; wait " +
                                    std::to_string(*wait) + " seconds."),
            .type = kHtmlType,
            .retry_after = std::to_string(*wait)};
  }
  const auto fields = FormFields(request.body);
  const std::string token = fields && fields->contains("token") ? fields->at("token") : "";
  if (const auto organiser = desk_.OrganiserOfToken(token)) {
    const auto session = sessions_.Open(*organiser, now);
    if (!session) return Refused(request, 500, "the server could not start a session");
    ReviewReply reply = SeeOther("/review");
    reply.headers.emplace_back(
        "Set-Cookie", SessionCookie(session->id, ReviewSessions::kLifetimeSeconds, kCookieName));
    return reply;
  }
  (void)failed_logins_.Take(request.client, now);
  const bool entrant = !token.empty() && store_.EntryOfToken(TokenHash(token));
  return {.status = entrant ? 403u : 401u,
          .body = ReviewLoginPage(entrant ? "That is an entrant's token: the review is for the "
                                            "organisers."
                                          : "That token is not an organiser's."),
          .type = kHtmlType};
}

ReviewReply ReviewConsole::Logout(const Caller& caller) {
  if (!caller.session.empty()) sessions_.Close(caller.session);
  ReviewReply reply = SeeOther("/review/login");
  reply.headers.emplace_back("Set-Cookie", SessionCookie("", 0, kCookieName));
  return reply;
}

std::string ReviewConsole::SessionCookie(const std::string& id, int64_t max_age,
                                         const char* name) const {
  const bool secure = options_.public_url.starts_with("https://");
  return std::string(name) + "=" + id +
         "; HttpOnly; SameSite=Strict; Path=/; Max-Age=" + std::to_string(max_age) +
         (secure ? "; Secure" : "");
}

std::optional<int64_t> ReviewConsole::LockedOut(const ReviewRequest& request, int64_t now) {
  return failed_logins_.Waiting(request.client, now);
}

ReviewReply ReviewConsole::EntrantLogin(const ReviewRequest& request, int64_t now) {
  if (const auto wait = LockedOut(request, now)) {
    return {.status = 429,
            .body = EntrantEntryPage(nullptr, "Too many failed attempts from this address; wait " +
                                                  std::to_string(*wait) + " seconds."),
            .type = kHtmlType,
            .retry_after = std::to_string(*wait)};
  }
  const auto fields = FormFields(request.body);
  const std::string token = fields && fields->contains("token") ? fields->at("token") : "";
  const auto entry = token.empty() ? std::nullopt : store_.EntryOfToken(TokenHash(token));
  if (!entry) {
    (void)failed_logins_.Take(request.client, now);
    return {.status = 401,
            .body = EntrantEntryPage(nullptr, "That token is not an entrant's."),
            .type = kHtmlType};
  }
  const auto session = entrant_sessions_.Open(*entry, now);
  if (!session) return Refused(request, 500, "the server could not start a session");
  ReviewReply reply = SeeOther("/entry");
  reply.headers.emplace_back(
      "Set-Cookie",
      SessionCookie(session->id, ReviewSessions::kLifetimeSeconds, kEntrantCookieName));
  return reply;
}

ReviewReply ReviewConsole::EntrantPage(const ReviewRequest& request, int64_t now) {
  const auto session = entrant_sessions_.Find(CookieValue(request.cookie, kEntrantCookieName), now);
  if (!session) return {.status = 200, .body = EntrantEntryPage(nullptr, ""), .type = kHtmlType};
  const std::string& entry = session->who;
  const auto facts = desk_.EntryFacts(entry);
  Json place;
  if (const auto latest = live_.Latest();
      latest && latest->contains(entry) && public_.View().places_shown)
    place = latest->at(entry)->PlaceJson();
  const Json view = {{"entry", entry},
                     {"verdict", facts ? At(*facts, "verdict") : Json()},
                     {"place", place},
                     {"versions", facts ? At(*facts, "versions") : Json::array()},
                     {"decisions", EntrantDecisions(entry)}};
  return {.status = 200, .body = EntrantEntryPage(view, ""), .type = kHtmlType};
}

// The form goes on to the revision published; a refusal is a page that says why.
ReviewReply ReviewConsole::PublishFinal(const ReviewRequest& request, const Caller& caller) {
  const bool api = request.routed.route == Route::kReviewApiFinal;
  std::optional<std::string> reason;
  if (api) {
    const Json body = Json::parse(request.body, nullptr, false);
    if (body.is_object() && body.contains("reason") && body.at("reason").is_string())
      reason = body.at("reason").get<std::string>();
  } else if (const auto fields = FormFields(request.body); fields && fields->contains("reason")) {
    reason = fields->at("reason");
  }
  if (!reason)
    return Refused(request, 400, "send {\"reason\": \"...\"}: why these results are published");
  const FinalOutcome outcome = public_.PublishFinal(caller.organiser, *reason);
  if (outcome.status != 200) return Refused(request, outcome.status, outcome.message);
  const std::string url = "/final/" + std::to_string(outcome.revision) + "/";
  if (api) return JsonAnswer(200, {{"revision", outcome.revision}, {"url", url}});
  return SeeOther(url);
}

ReviewReply ReviewConsole::Refused(const ReviewRequest& request, unsigned status,
                                   const std::string& why) const {
  if (IsReviewApi(request.routed.route)) return JsonAnswer(status, {{"error", why}});
  return {.status = status, .body = ReviewMessagePage(status, why, {}), .type = kHtmlType};
}

ReviewReply ReviewConsole::Decide(const ReviewRequest& request, const Caller& caller) {
  const bool api = request.routed.route == Route::kReviewApiDecide;
  const std::string& entry = request.routed.entry;
  const std::string& action = request.routed.action;
  const auto inputs = RequestFields(request.body, request.routed.route == Route::kReviewApiDecide);
  if (!inputs)
    return Refused(request, 400,
                   api ? "the body must be a JSON object" : "the form data cannot be read");
  DeskAnswer answer;
  if (action == "penalty") {
    answer = desk_.Penalise(caller.organiser, entry, DeskText(At(*inputs, "time")),
                            DeskText(At(*inputs, "reason")));
  } else if (action == "withdraw") {
    answer = desk_.Withdraw(caller.organiser, entry, DeskText(At(*inputs, "reason")));
  } else if (const int64_t version = VersionOf(At(*inputs, "version")); version > 0) {
    answer = desk_.LookedAt(caller.organiser, entry, version);
  } else {
    answer = {400, "version must be the number of one of the entry's versions"};
  }
  const bool done = answer.status == 200;
  const std::string& outcome = answer.message;
  if (api) {
    if (!done) return JsonAnswer(answer.status, {{"error", outcome}});
    return JsonAnswer(200, {{"entry", entry}, {"action", action}, {"message", outcome}});
  }
  if (!caller.session.empty())
    sessions_.SetOutcome(caller.session, (done ? "" : "Refused: ") + outcome);
  return SeeOther("/review/entry/" + entry);
}

ReviewReply ReviewConsole::EntryPage(const ReviewRequest& request, const Caller& caller) {
  const std::string& entry = request.routed.entry;
  const auto facts = desk_.EntryFacts(entry);
  const ReviewViewer viewer{caller.organiser, caller.csrf};
  if (!facts)
    return {.status = 404,
            .body = ReviewMessagePage(404, "there is no entry " + entry, viewer),
            .type = kHtmlType};
  EntryExtras extras;
  if (!caller.session.empty()) {
    extras.outcome = sessions_.TakeOutcome(caller.session);
    extras.outcome_failed = extras.outcome.starts_with("Refused: ");
  }
  const auto folder = PictureFolder(entry);
  const auto picture = [&](const std::string& name) {
    const std::string relative = *folder + "/" + name;
    struct stat status {};
    const bool there =
        lstat((live_.PageFolder() + relative).c_str(), &status) == 0 && S_ISREG(status.st_mode);
    return there ? "/" + relative : "";
  };
  if (folder) {
    extras.screen = picture(publish::kScreenPictureName);
    extras.track = picture("track.png");
  }
  return {.status = 200, .body = ReviewEntryPage(*facts, extras, viewer), .type = kHtmlType};
}

// The entry's folder of pictures in the page, named by its place among
// the evaluated entries, which are in folder order as the export's.
std::optional<std::string> ReviewConsole::PictureFolder(const std::string& entry) const {
  const auto latest = live_.Latest();
  if (!latest || live_.PageFolder().empty()) return std::nullopt;
  const auto found = latest->find(entry);
  if (found == latest->end()) return std::nullopt;
  const auto index = static_cast<size_t>(std::distance(latest->begin(), found));
  return publish::EntryPictureFolder(index, latest->size(), entry);
}

ReviewReply ReviewConsole::Download(const ReviewRequest& request) {
  const Routed& routed = request.routed;
  const auto facts = desk_.EntryFacts(routed.entry);
  bool listed = false;
  for (const Json& version : facts ? At(*facts, "versions") : Json::array()) {
    if (version.value("version", int64_t{0}) != routed.version) continue;
    for (const Json& file : version.value("files", Json::array()))
      listed |= file.value("name", "") == routed.file;
  }
  const std::string missing = "there is no file " + routed.file + " in version " +
                              std::to_string(routed.version) + " of " + routed.entry;
  if (!listed) return Refused(request, 404, missing);
  const std::string path = folders_.VersionFolder(routed.entry, routed.version) + "/" + routed.file;
  const auto bytes = SmallFile(path);
  if (!bytes) return Refused(request, 404, missing + " kept any more");
  return {.status = 200,
          .body = std::move(*bytes),
          .type = "application/octet-stream",
          .headers = {{"Content-Disposition", "attachment; filename=\"" + routed.file + "\""}}};
}

ReviewReply ReviewConsole::Ledger(const ReviewRequest& request) {
  const std::string& since = request.since;
  if (since.size() > 18 || since.find_first_not_of("0123456789") != std::string::npos)
    return Refused(request, 400, "since must be a record's number");
  const auto records = desk_.LedgerSince(since.empty() ? 0 : std::stoll(since));
  if (!records)
    return Refused(request, 500, "the ledger cannot be read: " + records.error().Describe());
  std::string lines;
  for (const LedgerRecord& record : *records) lines += LedgerLine(record) + "\n";
  return {.status = 200, .body = std::move(lines), .type = "application/x-ndjson; charset=utf-8"};
}

}  // namespace hl::server
