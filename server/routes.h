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
};

struct Routed {
  Route route = Route::kNone;
  unsigned status = 404;
  std::string file;      // kPageFile: relative to the page folder
  int64_t revision = 0;  // kPageFile: 0 for the public page, N for /final/N/
  std::string allow;     // 405: the methods the path takes
};

Routed RouteRequest(std::string_view method, std::string_view path, bool signup);

// The Content-Type of a page file, by its ending.
const char* PageFileType(std::string_view file);

// True for a request that sends a body the server reads as a form.
bool TakesForm(Route route);

}  // namespace hl::server
