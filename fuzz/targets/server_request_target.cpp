#include <string>
#include <string_view>
#include <vector>

#include "evaluation/closing_time.h"
#include "fuzz/targets/fuzz_app.h"
#include "fuzz/targets/fuzz_targets.h"
#include "server/client_address.h"
#include "server/routes.h"
#include "server/upload_names.h"
#include "server/upload_parts.h"

namespace hl::fuzzing {
namespace {

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = std::min(text.find('\n', start), text.size());
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// Relative, and no part of it names the folder itself or the one above.
bool IsSafeRelativePath(std::string_view path) {
  if (path.empty() || path.front() == '/' || path.find('\0') != std::string_view::npos)
    return false;
  size_t start = 0;
  while (start <= path.size()) {
    const size_t end = std::min(path.find('/', start), path.size());
    const std::string_view part = path.substr(start, end - start);
    if (part.empty() || part == "." || part == "..") return false;
    start = end + 1;
  }
  return true;
}

void CheckRoute(std::string_view method, std::string_view path, bool signup) {
  const server::Routed routed = server::RouteRequest(method, path, signup);
  if (routed.route == server::Route::kPageFile)
    Require(IsSafeRelativePath(routed.file), "a page file stays inside the page's folder");
  if (routed.route == server::Route::kApiSignup) Require(signup, "sign-up only when offered");
  Require(routed.route != server::Route::kNone || routed.status >= 400,
          "a request without a handler is refused");
}

void CheckNames(std::string_view name, std::string_view driver) {
  for (server::FileField field : server::kFileFields) {
    if (const auto stored = server::StoredName(field, name))
      Require(!server::StoredNameProblem(field, *stored), "a name made safe keeps the rules");
    if (server::StoredNameProblem(field, name)) continue;
    Require(name.size() <= 64 && name.front() != '.' && name.find('/') == std::string_view::npos &&
                name.find('\0') == std::string_view::npos,
            "an accepted file name is a plain name");
  }
  Require(server::IsNewEntryName(server::EntryNameFromDriver(driver)),
          "a name made from a driver's name is a valid entry folder");
}

void CheckClosingTime(std::string_view text) {
  const auto time = evaluation::ParseClosingTime(text);
  if (!time) return;
  const auto again = evaluation::ParseClosingTime(evaluation::Rfc3339Utc(time->utc_seconds));
  Require(again && again->utc_seconds == time->utc_seconds, "a closing time reads back the same");
}

// The rest of the input as text fields in pieces: never more is kept than the limit.
void CheckFieldLimit(std::string_view rest) {
  server::UploadParts parts;
  uint64_t offset = 0;
  for (size_t at = 0; at < rest.size(); at += 7) {
    const std::string_view piece = rest.substr(at, 7);
    if (!parts.Take("token", nullptr, piece.data(), offset, piece.size())) break;
    offset += piece.size();
  }
  Require(parts.Value("token").size() <= 200, "a text field stays within its limit");
  Require(!parts.Finish(), "an upload without a track file is refused");
}

// Forwarding headers from a trusted proxy name a client address or none.
void CheckForwarded(std::string_view forwarded_for, std::string_view forwarded) {
  server::TrustedProxies proxies;
  proxies.Add("10.0.0.0/8");
  const std::string client = server::ClientAddressOf("10.0.0.1", forwarded_for, forwarded, proxies);
  Require(server::ParseAddressRange(client).has_value(), "a forwarded client is an address");
}

}  // namespace

void FuzzServerRequest(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto lines = Lines(text);
  lines.resize(std::max<size_t>(lines.size(), 8));
  const bool signup = size > 0 && (data[0] & 1) != 0;
  CheckRoute(lines[0], lines[1], signup);
  CheckNames(lines[2], lines[3]);
  CheckClosingTime(lines[4]);
  CheckFieldLimit(lines[5]);
  CheckForwarded(lines[6], lines[7]);
}

}  // namespace hl::fuzzing
