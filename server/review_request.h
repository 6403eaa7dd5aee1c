#pragma once
// What the review console reads of a request: the facts the HTTP side
// collected, and the parsers of its form body and cookie.

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "server/routes.h"

namespace hl::server {

struct ReviewRequest {
  Routed routed;
  std::string client;  // the address that counts, for the login limit
  std::string cookie;  // the Cookie header
  std::string authorization;
  std::string origin;
  std::string referer;
  std::string host;
  std::string csrf_header;  // X-CSRF-Token
  std::string since;        // ?since= of the ledger
  std::string body;
  size_t body_limit = 0;  // ReviewConsole::BodyLimit, once the headers are read
  bool body_too_large = false;
};

// The fields of an application/x-www-form-urlencoded body; nullopt when a
// %-escape is broken or a name comes twice.
std::optional<std::map<std::string, std::string>> FormFields(std::string_view body);

// A request's fields: its body as a JSON object when `json`, else the form's
// fields as JSON strings; nullopt when the body is neither.
std::optional<nlohmann::ordered_json> RequestFields(std::string_view body, bool json);

// The value of cookie `name` in a Cookie header; "" without it.
std::string CookieValue(std::string_view header, std::string_view name);

}  // namespace hl::server
