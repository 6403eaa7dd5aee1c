#include "server/review_request.h"

#include "server/request_checks.h"

namespace hl::server {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> Unescaped(std::string_view text) {
  std::string plain;
  plain.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '+') {
      plain += ' ';
    } else if (text[i] != '%') {
      plain += text[i];
    } else {
      if (i + 2 >= text.size()) return std::nullopt;
      const int high = HexDigit(text[i + 1]);
      const int low = HexDigit(text[i + 2]);
      if (high < 0 || low < 0) return std::nullopt;
      plain += static_cast<char>(high * 16 + low);
      i += 2;
    }
  }
  return plain;
}

}  // namespace

std::optional<std::map<std::string, std::string>> FormFields(std::string_view body) {
  std::map<std::string, std::string> fields;
  while (!body.empty()) {
    const size_t end = std::min(body.find('&'), body.size());
    const std::string_view pair = body.substr(0, end);
    body.remove_prefix(std::min(end + 1, body.size()));
    if (pair.empty()) continue;
    const size_t equals = std::min(pair.find('='), pair.size());
    const auto name = Unescaped(pair.substr(0, equals));
    const auto value = Unescaped(pair.substr(std::min(equals + 1, pair.size())));
    if (!name || !value || !fields.emplace(*name, *value).second) return std::nullopt;
  }
  return fields;
}

std::string CookieValue(std::string_view header, std::string_view name) {
  while (!header.empty()) {
    const size_t end = std::min(header.find(';'), header.size());
    const std::string_view item = WithoutOptionalSpace(header.substr(0, end));
    header.remove_prefix(std::min(end + 1, header.size()));
    if (item.size() > name.size() && item.starts_with(name) && item[name.size()] == '=')
      return std::string(item.substr(name.size() + 1));
  }
  return "";
}

std::optional<nlohmann::ordered_json> RequestFields(std::string_view body, bool json) {
  using Json = nlohmann::ordered_json;
  if (json) {
    Json parsed = Json::parse(body, nullptr, false);
    if (parsed.is_discarded() || !parsed.is_object()) return std::nullopt;
    return parsed;
  }
  const auto fields = FormFields(body);
  if (!fields) return std::nullopt;
  Json inputs = Json::object();
  for (const auto& [name, value] : *fields) inputs[name] = value;
  return inputs;
}

}  // namespace hl::server
