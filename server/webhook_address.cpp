#include "server/webhook_address.h"

#include <curl/curl.h>

#include <algorithm>
#include <iterator>
#include <memory>

#include "server/client_address.h"

namespace hl::server {
namespace {

constexpr const char* kPrivateRanges[] = {
    "0.0.0.0/8",     "10.0.0.0/8",   "100.64.0.0/10",  "127.0.0.0/8",   "169.254.0.0/16",
    "172.16.0.0/12", "192.0.0.0/24", "192.168.0.0/16", "198.18.0.0/15", "224.0.0.0/4",
    "240.0.0.0/4",
    "::/96",  // the unspecified address, loopback and the old IPv4-compatible form
    "fc00::/7",      "fe80::/10",    "fec0::/10",      "ff00::/8",      "::ffff:0:0/128"};

struct UrlDeleter {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using ParsedUrl = std::unique_ptr<CURLU, UrlDeleter>;

ParsedUrl Parse(const std::string& text) {
  ParsedUrl url(curl_url());
  if (!url || curl_url_set(url.get(), CURLUPART_URL, text.c_str(), 0) != CURLUE_OK) return nullptr;
  return url;
}

std::string Part(const ParsedUrl& url, CURLUPart part) {
  char* value = nullptr;
  if (curl_url_get(url.get(), part, &value, 0) != CURLUE_OK || value == nullptr) return "";
  std::string text = value;
  curl_free(value);
  return text;
}

// The host as an address: an IPv6 literal without its brackets.
std::string HostAddress(std::string host) {
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
    host = host.substr(1, host.size() - 2);
  return host;
}

}  // namespace

bool IsPrivateAddress(std::string_view address) {
  const auto range_holds = [address](const char* text) {
    const auto range = ParseAddressRange(text);
    return range && InAddressRange(*range, address);
  };
  return !ParseAddressRange(address) ||
         std::any_of(std::begin(kPrivateRanges), std::end(kPrivateRanges), range_holds);
}

std::optional<std::string> WebhookUrlProblem(const std::string& url, bool allow_private) {
  const ParsedUrl parsed = Parse(url);
  if (!parsed) return "a webhook must be a URL such as https://chat.example.org/hook";
  const std::string scheme = Part(parsed, CURLUPART_SCHEME);
  if (scheme != "http" && scheme != "https")
    return "a webhook is an http or https URL, not " + scheme + ":";
  const std::string host = HostAddress(Part(parsed, CURLUPART_HOST));
  if (host.empty()) return "the webhook " + ReceiverName(url) + " names no host";
  if (!allow_private && ParseAddressRange(host) && IsPrivateAddress(host))
    return "the webhook " + ReceiverName(url) +
           " is a private or loopback address; --webhook-allow-private allows it";
  return std::nullopt;
}

std::string ReceiverName(const std::string& url) {
  const ParsedUrl parsed = Parse(url);
  if (!parsed) return "(no URL)";
  const std::string port = Part(parsed, CURLUPART_PORT);
  return Part(parsed, CURLUPART_SCHEME) + "://" + Part(parsed, CURLUPART_HOST) +
         (port.empty() ? "" : ":" + port);
}

}  // namespace hl::server
