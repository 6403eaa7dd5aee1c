#pragma once
// Which handler a request goes to, from its method and path alone. Paths of
// the live page are checked here: only the names an export writes, never a
// listing, never a path outside the page's folder.

#include <cstdint>
#include <string>
#include <string_view>

namespace hl::server {

enum class Route {
  kNone,        // answered with `status`
  kPageFile,    // `file` of the public page's folder, or of a final revision's
  kUploadForm,  // GET /upload
  kUploadPost,  // POST /upload (the form)
  kApiUpload,   // POST /api/upload
  kApiEntry,    // GET /api/entry
  kApiSignup,   // POST /api/signup (the form's too)
  kSignupForm,  // GET /signup
  // The routes of the review console, kept last (ForConsole): the
  // organisers' review, whose `entry`, `action`, `version` and `file` say
  // what the path names, and the entrant's own page.
  kReviewLoginForm,   // GET /review/login
  kReviewLogin,       // POST /review/login
  kReviewLogout,      // POST /review/logout
  kReviewQueue,       // GET /review
  kReviewEntry,       // GET /review/entry/ENTRY
  kReviewDecide,      // POST /review/entry/ENTRY/ACTION (the forms)
  kReviewDownload,    // GET /review/entry/ENTRY/version/N/FILE
  kReviewApiEntries,  // GET /review/api/entries
  kReviewApiEntry,    // GET /review/api/entry/ENTRY
  kReviewApiDecide,   // POST /review/api/entry/ENTRY/ACTION
  kReviewApiLedger,   // GET /review/api/ledger
  kReviewFinal,       // POST /review/final (the form)
  kReviewApiFinal,    // POST /review/api/final
  kEntrantPage,       // GET /entry: an entrant's own versions, verdict and decisions
  kEntrantLogin,      // POST /entry: the entrant's token, once, for a cookie

  // Re-evaluation as a set, whose `preview` and `action` say what the path names.
  kReviewReevaluateForm,    // GET /review/reevaluate
  kReviewReevaluate,        // POST /review/reevaluate (the form)
  kReviewApiReevaluate,     // POST /review/api/reevaluate
  kReviewPreview,           // GET /review/reevaluate/ID
  kReviewPreviewDecide,     // POST /review/reevaluate/ID/ACTION (the forms)
  kReviewApiPreviewDecide,  // POST /review/api/reevaluate/ID/ACTION
};

struct Routed {
  Route route = Route::kNone;
  unsigned status = 404;
  std::string file;      // kPageFile: relative to the page folder; kReviewDownload: its name
  int64_t revision = 0;  // kPageFile: 0 for the public page, N for /final/N/
  std::string entry;     // the review's routes that name an entry
  std::string action;    // kReviewDecide, kReviewApiDecide: "penalty", "withdraw" or "looked-at";
                         // kReviewPreviewDecide, kReviewApiPreviewDecide: "apply" or "discard"
  std::string preview;   // the re-evaluation's routes that name a preview: its id
  int64_t version = 0;   // kReviewDownload
  std::string allow;     // 405: the methods the path takes
};

Routed RouteRequest(std::string_view method, std::string_view path, bool signup);

// The Content-Type of a page file, by its ending.
const char* PageFileType(std::string_view file);

// True for a request that sends a body the server reads as a form.
bool TakesForm(Route route);

// True for the routes the review console answers, all behind a session
// cookie; IsReviewApi for those of them that answer JSON.
bool ForConsole(Route route);
bool IsReviewApi(Route route);

}  // namespace hl::server
