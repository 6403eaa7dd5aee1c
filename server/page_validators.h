#pragma once
// A browser keeps the live page's files and asks whether they changed
// (If-None-Match, If-Modified-Since) instead of fetching them again. A file
// of the page is never changed in place: a new page replaces it by a new
// file, and an unchanged picture stays the same file (a hard link), so its
// identity and time tell whether a browser's copy is current.

#include <sys/stat.h>

#include <cstdint>
#include <string>

namespace hl::server {

struct PageValidators {
  std::string etag;           // a strong entity tag, quoted
  std::string last_modified;  // an HTTP date
  int64_t modified = 0;       // seconds, UTC
};

PageValidators ValidatorsOf(const struct stat& file);

// True when the request's conditions say its copy is current: If-None-Match
// decides when it is sent, else If-Modified-Since.
bool NotModified(const PageValidators& validators, const std::string& if_none_match,
                 const std::string& if_modified_since);

}  // namespace hl::server
