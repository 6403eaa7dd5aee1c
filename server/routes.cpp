#include "server/routes.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "publish/page_pictures.h"

namespace hl::server {
namespace {

struct Fixed {
  std::string_view path;
  std::string_view method;
  Route route;
};

constexpr std::array kFixedRoutes = {
    Fixed{"/upload", "GET", Route::kUploadForm},
    Fixed{"/upload", "POST", Route::kUploadPost},
    Fixed{"/api/upload", "POST", Route::kApiUpload},
    Fixed{"/api/entry", "GET", Route::kApiEntry},
    Fixed{"/api/signup", "POST", Route::kApiSignup},
    Fixed{"/signup", "GET", Route::kSignupForm},
    Fixed{"/review/login", "GET", Route::kReviewLoginForm},
    Fixed{"/review/login", "POST", Route::kReviewLogin},
    Fixed{"/review/logout", "POST", Route::kReviewLogout},
    Fixed{"/review", "GET", Route::kReviewQueue},
    Fixed{"/review/api/entries", "GET", Route::kReviewApiEntries},
    Fixed{"/review/api/ledger", "GET", Route::kReviewApiLedger},
    Fixed{"/review/final", "POST", Route::kReviewFinal},
    Fixed{"/review/api/final", "POST", Route::kReviewApiFinal},
    Fixed{"/entry", "GET", Route::kEntrantPage},
    Fixed{"/entry", "POST", Route::kEntrantLogin},
    Fixed{"/review/reevaluate", "GET", Route::kReviewReevaluateForm},
    Fixed{"/review/reevaluate", "POST", Route::kReviewReevaluate},
    Fixed{"/review/api/reevaluate", "POST", Route::kReviewApiReevaluate},
};

constexpr std::array<std::string_view, 3> kDecisions = {"penalty", "withdraw", "looked-at"};
constexpr std::array<std::string_view, 2> kPreviewSteps = {"apply", "discard"};

constexpr std::array<std::string_view, 5> kTopFiles = {"results.json", "results.csv", "chart.png",
                                                       "ghosts.png", "index.html"};
constexpr std::array<std::string_view, 2> kEntryPictures = {"track.png",
                                                            publish::kScreenPictureName};

bool IsSafeSegment(std::string_view segment) {
  return !segment.empty() && segment.size() <= 64 && segment.front() != '.' &&
         std::all_of(segment.begin(), segment.end(), [](char c) {
           return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                  c == '-' || c == '_' || c == '.';
         });
}

std::vector<std::string_view> Segments(std::string_view path) {
  std::vector<std::string_view> segments;
  size_t start = 1;
  while (start <= path.size()) {
    const size_t end = std::min(path.find('/', start), path.size());
    segments.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return segments;
}

// The page file a path names, or "" when it names none.
std::string PageFile(std::string_view path) {
  if (path == "/") return "index.html";
  const auto segments = Segments(path);
  if (!std::all_of(segments.begin(), segments.end(), IsSafeSegment)) return "";
  const auto contains = [](const auto& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
  };
  if (segments.size() == 1 && contains(kTopFiles, segments[0])) return std::string(segments[0]);
  if (segments.size() == 3 && segments[0] == "entries" && contains(kEntryPictures, segments[2]))
    return std::string(path.substr(1));
  return "";
}

// /final/N/FILE: N of a final revision (1 to 9 digits, no leading zero) and
// the rest as the public page's path; nullopt for any other path.
std::optional<std::pair<int64_t, std::string_view>> RevisionPath(std::string_view path) {
  constexpr std::string_view kPrefix = "/final/";
  if (!path.starts_with(kPrefix)) return std::nullopt;
  const std::string_view rest = path.substr(kPrefix.size());
  const size_t slash = rest.find('/');
  const std::string_view number = rest.substr(0, slash);
  if (slash == std::string_view::npos || number.empty() || number.size() > 9 ||
      number.front() == '0' ||
      !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  return std::pair{std::stoll(std::string(number)), rest.substr(slash)};
}

Routed Answered(unsigned status, std::string allow = "") {
  Routed routed;
  routed.status = status;
  routed.allow = std::move(allow);
  return routed;
}

Routed Taken(Route route, std::string_view method, std::string_view wanted) {
  const bool get = wanted == "GET";
  if (method != wanted && !(get && method == "HEAD"))
    return Answered(405, get ? "GET, HEAD" : "POST");
  Routed routed;
  routed.route = route;
  routed.status = 200;
  return routed;
}

// A version's number as the path names it: digits without a leading zero.
int64_t VersionNumber(std::string_view text) {
  if (text.empty() || text.size() > 9 || text.front() == '0') return 0;
  int64_t number = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return 0;
    number = number * 10 + (c - '0');
  }
  return number;
}

// /review/entry/ENTRY[/ACTION | /version/N/FILE] and /review/api/entry/ENTRY[/ACTION].
Routed ReviewEntryRoute(std::string_view method, std::string_view path) {
  auto segments = Segments(path);
  const bool api = segments.size() > 2 && segments[1] == "api";
  if (api) segments.erase(segments.begin() + 1);
  if (segments.size() < 3 || segments[0] != "review" || segments[1] != "entry" ||
      !std::all_of(segments.begin() + 2, segments.end(), IsSafeSegment))
    return Answered(404);
  Routed routed;
  if (segments.size() == 3) {
    routed = Taken(api ? Route::kReviewApiEntry : Route::kReviewEntry, method, "GET");
  } else if (segments.size() == 4 &&
             std::find(kDecisions.begin(), kDecisions.end(), segments[3]) != kDecisions.end()) {
    routed = Taken(api ? Route::kReviewApiDecide : Route::kReviewDecide, method, "POST");
    if (routed.route != Route::kNone) routed.action = std::string(segments[3]);
  } else if (!api && segments.size() == 6 && segments[3] == "version" &&
             VersionNumber(segments[4]) > 0) {
    routed = Taken(Route::kReviewDownload, method, "GET");
    if (routed.route != Route::kNone) {
      routed.version = VersionNumber(segments[4]);
      routed.file = std::string(segments[5]);
    }
  } else {
    return Answered(404);
  }
  if (routed.route != Route::kNone) routed.entry = std::string(segments[2]);
  return routed;
}

// /review/reevaluate/ID[/ACTION] and /review/api/reevaluate/ID/ACTION.
Routed PreviewRoute(std::string_view method, std::string_view path) {
  auto segments = Segments(path);
  const bool api = segments[1] == "api";
  if (api) segments.erase(segments.begin() + 1);
  if (segments.size() < 3 || segments.size() > 4 ||
      !std::all_of(segments.begin() + 2, segments.end(), IsSafeSegment))
    return Answered(404);
  Routed routed;
  if (segments.size() == 3 && !api) {
    routed = Taken(Route::kReviewPreview, method, "GET");
  } else if (segments.size() == 4 && std::find(kPreviewSteps.begin(), kPreviewSteps.end(),
                                               segments[3]) != kPreviewSteps.end()) {
    routed =
        Taken(api ? Route::kReviewApiPreviewDecide : Route::kReviewPreviewDecide, method, "POST");
    if (routed.route != Route::kNone) routed.action = std::string(segments[3]);
  } else {
    return Answered(404);
  }
  if (routed.route != Route::kNone) routed.preview = std::string(segments[2]);
  return routed;
}

}  // namespace

Routed RouteRequest(std::string_view method, std::string_view path, bool signup) {
  if (path.empty() || path.front() != '/') return Answered(400);
  std::string allow;
  for (const Fixed& fixed : kFixedRoutes) {
    if (fixed.path != path) continue;
    if ((fixed.route == Route::kApiSignup || fixed.route == Route::kSignupForm) && !signup)
      return Answered(404);
    if (fixed.method == method || (fixed.method == "GET" && method == "HEAD")) {
      Routed routed;
      routed.route = fixed.route;
      routed.status = 200;
      return routed;
    }
    allow += allow.empty() ? "" : ", ";
    allow += fixed.method;
    if (fixed.method == "GET") allow += ", HEAD";
  }
  if (!allow.empty()) return Answered(405, allow);
  if (path.starts_with("/review/reevaluate/") || path.starts_with("/review/api/reevaluate/"))
    return PreviewRoute(method, path);
  if (path.starts_with("/review/")) return ReviewEntryRoute(method, path);
  Routed routed;
  if (const auto revision = RevisionPath(path)) {
    routed.revision = revision->first;
    path = revision->second;
  }
  routed.file = PageFile(path);
  if (routed.file.empty()) return Answered(404);
  if (method != "GET" && method != "HEAD") return Answered(405, "GET, HEAD");
  routed.route = Route::kPageFile;
  routed.status = 200;
  return routed;
}

const char* PageFileType(std::string_view file) {
  if (file.ends_with(".html")) return "text/html; charset=utf-8";
  if (file.ends_with(".json")) return "application/json; charset=utf-8";
  if (file.ends_with(".csv")) return "text/csv; charset=utf-8";
  if (file.ends_with(".png")) return "image/png";
  if (file.ends_with(".jpg")) return "image/jpeg";
  return "application/octet-stream";
}

bool TakesForm(Route route) {
  return route == Route::kUploadPost || route == Route::kApiUpload || route == Route::kApiSignup;
}

bool ForConsole(Route route) { return route >= Route::kReviewLoginForm; }

bool IsReviewApi(Route route) {
  return route == Route::kReviewApiEntries || route == Route::kReviewApiEntry ||
         route == Route::kReviewApiDecide || route == Route::kReviewApiLedger ||
         route == Route::kReviewApiReevaluate || route == Route::kReviewApiPreviewDecide ||
         route == Route::kReviewApiFinal;
}

}  // namespace hl::server
