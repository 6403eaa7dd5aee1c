#pragma once
// The organisers' review console over HTTP: login and sessions, the checks
// every review request passes (who sent it, CSRF, origin), the pages and the
// JSON API, each a call of the ReviewDesk; and the entrant's own page
// behind a cookie of its own. The HTTP side hands it a request whose body it
// has read, on a worker thread; workers call it at once, and the sessions,
// the login limit and the desk each lock themselves.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "server/entry_commit.h"
#include "server/live_results.h"
#include "server/public_results.h"
#include "server/rate_limit.h"
#include "server/reevaluation.h"
#include "server/review_desk.h"
#include "server/review_request.h"
#include "server/review_sessions.h"
#include "server/server_options.h"
#include "server/version_store.h"
#include "server/webhook_notifier.h"

namespace hl::server {

struct ReviewReply {
  unsigned status = 200;
  std::string body;
  const char* type = "application/json; charset=utf-8";
  std::vector<std::pair<std::string, std::string>> headers = {};  // Location, Set-Cookie, ...
  std::string retry_after = "";                                   // seconds, for a 429
};

// A JSON answer, and a 303 to `location`: the replies of every route.
ReviewReply JsonAnswer(unsigned status, const nlohmann::ordered_json& json);
ReviewReply SeeOther(const std::string& location);

class ReviewConsole {
 public:
  static constexpr size_t kBodyLimit = 64 * 1024;
  // A proposed evaluation file, sent as a form, may take three bytes for each of its own.
  static constexpr size_t kProposalBodyLimit = 3 * Reevaluations::kLargestProposal;
  static constexpr int64_t kFailedLoginsPerMinute = 5;

  // `notifier` (may be null): its given-up deliveries are listed on the queue.
  ReviewConsole(const ServerOptions& options, const StateFolders& folders, ReviewDesk& desk,
                VersionStore& store, LiveResults& live, Reevaluations& reevaluations,
                PublicResults& public_results, WebhookNotifier* notifier = nullptr);

  ReviewReply Answer(const ReviewRequest& request);
  // How many bytes of body the request may send: a proposed evaluation's
  // route takes more, from an organiser alone. Called by the HTTP side as
  // the headers arrive, before the body is read.
  size_t BodyLimit(const ReviewRequest& request);
  // True for an organiser's token, which opens the review and nothing else.
  bool IsOrganiserToken(std::string_view token);
  // The desk's decisions on an entry as its entrant is shown them.
  nlohmann::ordered_json EntrantDecisions(const std::string& entry);

 private:
  struct Caller {
    std::string organiser = "";  // "" when refused
    std::string session = "";    // the session's id; "" for a Bearer token
    std::string csrf = "";
    unsigned refusal = 0;  // 401 or 403
    std::string why = "";
  };

  Caller Identify(const ReviewRequest& request, int64_t now);
  // The answer to an organiser's request that passed every check.
  ReviewReply Dispatch(const ReviewRequest& request, const Caller& caller);
  ReviewReply Login(const ReviewRequest& request, int64_t now);
  ReviewReply Logout(const Caller& caller);
  ReviewReply Refused(const ReviewRequest& request, unsigned status, const std::string& why) const;
  ReviewReply Decide(const ReviewRequest& request, const Caller& caller);
  ReviewReply EntryPage(const ReviewRequest& request, const Caller& caller);
  std::optional<std::string> PictureFolder(const std::string& entry) const;
  ReviewReply Download(const ReviewRequest& request);
  ReviewReply Ledger(const ReviewRequest& request);
  ReviewReply PublishFinal(const ReviewRequest& request, const Caller& caller);
  // How long an address that failed to log in too often waits; nullopt when it may try.
  std::optional<int64_t> LockedOut(const ReviewRequest& request, int64_t now);
  ReviewReply EntrantLogin(const ReviewRequest& request, int64_t now);
  ReviewReply EntrantPage(const ReviewRequest& request, int64_t now);
  std::string SessionCookie(const std::string& id, int64_t max_age, const char* name) const;
  // Re-evaluation as a set (review_reevaluation.cpp).
  ReviewReply ReevaluateForm(const Caller& caller);
  ReviewReply Reevaluate(const ReviewRequest& request, const Caller& caller);
  ReviewReply PreviewShown(const ReviewRequest& request, const Caller& caller);
  ReviewReply DecideReevaluation(const ReviewRequest& request, const Caller& caller);

  const ServerOptions& options_;
  const StateFolders& folders_;
  ReviewDesk& desk_;
  VersionStore& store_;
  LiveResults& live_;
  Reevaluations& reevaluations_;
  WebhookNotifier* notifier_;
  PublicResults& public_;
  ReviewSessions sessions_;
  ReviewSessions entrant_sessions_;                  // each names its entry as `who`
  RateLimit failed_logins_{kFailedLoginsPerMinute};  // organisers' and entrants' logins alike
};

}  // namespace hl::server
