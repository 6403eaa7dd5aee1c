#pragma once
// One attempt to post a webhook's body. The receiver's name is resolved for
// each attempt and every address is checked as the connection is opened,
// so a name that resolves to a private address later is refused all the
// same; no redirect is followed, no proxy used.

#include <chrono>
#include <optional>
#include <string>

namespace hl::server {

class WebhookPost {
 public:
  WebhookPost(bool allow_private, std::chrono::milliseconds timeout);
  ~WebhookPost();
  WebhookPost(const WebhookPost&) = delete;
  WebhookPost& operator=(const WebhookPost&) = delete;

  // nullopt when the receiver answered 2xx; else why not, in words that
  // name no more of the URL than its host.
  std::optional<std::string> Send(const std::string& url, const std::string& body);

 private:
  bool allow_private_;
  std::chrono::milliseconds timeout_;
  void* curl_;  // this receiver's handle: its connection is kept between posts
};

}  // namespace hl::server
