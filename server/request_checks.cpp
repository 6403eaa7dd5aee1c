#include "server/request_checks.h"

#include <algorithm>
#include <cstdio>

namespace hl::server {
namespace {

bool SameWord(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

bool StartsWithWord(std::string_view text, std::string_view word) {
  return text.size() >= word.size() && SameWord(text.substr(0, word.size()), word);
}

// "scheme://host[:port]" of an Origin or the start of a Referer.
std::string_view Authority(std::string_view url) {
  for (std::string_view scheme : {"http://", "https://"}) {
    if (!StartsWithWord(url, scheme)) continue;
    const std::string_view rest = url.substr(scheme.size());
    return rest.substr(0, rest.find_first_of("/?#"));
  }
  return {};
}

}  // namespace

std::optional<std::string> FramingProblem(std::string_view version, const HeaderLines& headers) {
  int lengths = 0;
  bool coded = false;
  bool host = false;
  for (const auto& [name, value] : headers) {
    lengths += SameWord(name, "Content-Length");
    coded |= SameWord(name, "Transfer-Encoding");
    host |= SameWord(name, "Host");
  }
  if (lengths > 1) return "the request has more than one Content-Length";
  if (lengths == 1 && coded) return "the request has both Content-Length and Transfer-Encoding";
  if (version == "HTTP/1.1" && !host) return "an HTTP/1.1 request needs a Host header";
  return std::nullopt;
}

std::string BearerTokenOf(std::string_view authorization) {
  constexpr std::string_view kScheme = "Bearer ";
  if (authorization.size() <= kScheme.size() || !StartsWithWord(authorization, kScheme)) return "";
  return std::string(authorization.substr(kScheme.size()));
}

bool IsMultipartForm(std::string_view content_type) {
  constexpr std::string_view kType = "multipart/form-data";
  return StartsWithWord(content_type, kType) &&
         (content_type.size() == kType.size() || content_type[kType.size()] == ';' ||
          content_type[kType.size()] == ' ');
}

bool PostedFromOwnPages(std::string_view origin, std::string_view referer, std::string_view host) {
  const std::string_view from = !origin.empty() ? origin : referer;
  if (from.empty()) return true;  // not a browser's form: a program with a token
  const std::string_view authority = Authority(from);
  return !authority.empty() && SameWord(authority, host);
}

std::string LogSafe(std::string_view text) {
  std::string safe;
  safe.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7f && c != '\\') {
      safe += c;
      continue;
    }
    char escaped[5];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
    safe += escaped;
  }
  return safe;
}

std::string_view WithoutOptionalSpace(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace hl::server
