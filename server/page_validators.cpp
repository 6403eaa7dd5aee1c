#include "server/page_validators.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string_view>

#include "server/request_checks.h"

namespace hl::server {
namespace {

// If-None-Match compares weakly: "W/" before a tag does not matter.
bool MatchesAny(std::string_view list, std::string_view etag) {
  size_t start = 0;
  while (start <= list.size()) {
    const size_t end = std::min(list.find(',', start), list.size());
    std::string_view tag = WithoutOptionalSpace(list.substr(start, end - start));
    if (tag == "*") return true;
    if (tag.starts_with("W/")) tag.remove_prefix(2);
    if (tag == etag) return true;
    start = end + 1;
  }
  return false;
}

// An IMF-fixdate ("Sun, 06 Nov 1994 08:49:37 GMT"); -1 when it is none.
int64_t HttpDateSeconds(const std::string& text) {
  std::tm parts{};
  const char* end = strptime(text.c_str(), "%a, %d %b %Y %H:%M:%S GMT", &parts);
  if (end == nullptr || *end != '\0') return -1;
  return static_cast<int64_t>(timegm(&parts));
}

}  // namespace

PageValidators ValidatorsOf(const struct stat& file) {
  PageValidators validators;
  validators.modified = static_cast<int64_t>(file.st_mtim.tv_sec);
  char etag[96];
  std::snprintf(etag, sizeof etag, "\"%llx-%llx-%llx.%lx\"",
                static_cast<unsigned long long>(file.st_ino),
                static_cast<unsigned long long>(file.st_size),
                static_cast<unsigned long long>(file.st_mtim.tv_sec),
                static_cast<unsigned long>(file.st_mtim.tv_nsec));
  validators.etag = etag;
  const std::time_t seconds = file.st_mtim.tv_sec;
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char date[40];
  std::strftime(date, sizeof date, "%a, %d %b %Y %H:%M:%S GMT", &utc);
  validators.last_modified = date;
  return validators;
}

bool NotModified(const PageValidators& validators, const std::string& if_none_match,
                 const std::string& if_modified_since) {
  if (!if_none_match.empty()) return MatchesAny(if_none_match, validators.etag);
  if (if_modified_since.empty()) return false;
  const int64_t since = HttpDateSeconds(if_modified_since);
  return since >= 0 && validators.modified <= since;
}

}  // namespace hl::server
