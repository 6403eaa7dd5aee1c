#include "server/webhook_post.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <sys/socket.h>

#include "server/webhook_address.h"

namespace hl::server {
namespace {

// What the socket callback saw of one attempt.
struct Attempt {
  bool allow_private = false;
  std::string refused;  // the private address the name resolved to
};

std::string AddressText(const sockaddr& address) {
  char text[INET6_ADDRSTRLEN] = "";
  if (address.sa_family == AF_INET) {
    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in&>(address).sin_addr, text, sizeof text);
  } else if (address.sa_family == AF_INET6) {
    inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6&>(address).sin6_addr, text,
              sizeof text);
  }
  return text;
}

// Called for every address the connection tries, after the name was resolved.
curl_socket_t OpenCheckedSocket(void* data, curlsocktype, curl_sockaddr* address) {
  auto& attempt = *static_cast<Attempt*>(data);
  const std::string text = AddressText(address->addr);
  if (!attempt.allow_private && IsPrivateAddress(text)) {
    attempt.refused = text;
    return CURL_SOCKET_BAD;
  }
  return socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
}

size_t DropAnswer(char*, size_t size, size_t count, void*) { return size * count; }

struct HeaderList {
  curl_slist* list = nullptr;
  ~HeaderList() { curl_slist_free_all(list); }
};

}  // namespace

WebhookPost::WebhookPost(bool allow_private, std::chrono::milliseconds timeout)
    : allow_private_(allow_private), timeout_(timeout), curl_(curl_easy_init()) {}

WebhookPost::~WebhookPost() { curl_easy_cleanup(static_cast<CURL*>(curl_)); }

std::optional<std::string> WebhookPost::Send(const std::string& url, const std::string& body) {
  CURL* curl = static_cast<CURL*>(curl_);
  if (curl == nullptr) return "the HTTP client could not be started";
  curl_easy_reset(curl);
  Attempt attempt{allow_private_, ""};
  HeaderList headers;
  headers.list = curl_slist_append(nullptr, "Content-Type: application/json");
  char error[CURL_ERROR_SIZE] = "";
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(timeout_.count()));
  curl_easy_setopt(curl, CURLOPT_OPENSOCKETFUNCTION, &OpenCheckedSocket);
  curl_easy_setopt(curl, CURLOPT_OPENSOCKETDATA, &attempt);
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.list);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, "hotlap-eval");
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
  curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &DropAnswer);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
  const CURLcode done = curl_easy_perform(curl);
  if (done != CURLE_OK && !attempt.refused.empty())
    return ReceiverName(url) + " is at the private address " + attempt.refused +
           "; --webhook-allow-private allows it";
  if (done != CURLE_OK) return std::string(error[0] ? error : curl_easy_strerror(done));
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  if (status < 200 || status > 299) return "answered " + std::to_string(status);
  return std::nullopt;
}

}  // namespace hl::server
