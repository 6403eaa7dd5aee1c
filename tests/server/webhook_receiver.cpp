#include "tests/server/webhook_receiver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

namespace hl::testing {

WebhookReceiver::WebhookReceiver() {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
      listen(listener_, 16) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
    return;
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

WebhookReceiver::~WebhookReceiver() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
  close(listener_);
}

std::string WebhookReceiver::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<ReceivedPost> WebhookReceiver::Posts() {
  std::lock_guard lock(mutex_);
  return posts_;
}

std::vector<std::string> WebhookReceiver::Delivered() {
  std::vector<std::string> bodies;
  for (const ReceivedPost& post : Posts()) {
    if (post.answered / 100 == 2) bodies.push_back(post.body);
  }
  return bodies;
}

bool WebhookReceiver::WaitFor(const std::function<bool(const std::vector<ReceivedPost>&)>& done,
                              std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, limit, [&] { return done(posts_); });
}

void WebhookReceiver::Serve() {
  while (!stopping_) {
    pollfd waiting{listener_, POLLIN, 0};
    if (poll(&waiting, 1, 50) <= 0) continue;
    const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) continue;
    ++connections_;
    Answer(connection);
    close(connection);
  }
}

// Reads one request (headers, then Content-Length bytes) and answers it.
void WebhookReceiver::Answer(int connection) {
  std::string request;
  size_t body_start = std::string::npos;
  size_t length = 0;
  char buffer[4096];
  while (body_start == std::string::npos || request.size() < body_start + length) {
    pollfd readable{connection, POLLIN, 0};
    if (poll(&readable, 1, 5000) <= 0) return;
    const ssize_t got = read(connection, buffer, sizeof buffer);
    if (got <= 0) return;
    request.append(buffer, static_cast<size_t>(got));
    if (body_start != std::string::npos) continue;
    const size_t end = request.find("\r\n\r\n");
    if (end == std::string::npos) continue;
    body_start = end + 4;
    const size_t field = request.find("Content-Length: ");
    if (field != std::string::npos && field < end)
      length = std::strtoul(request.c_str() + field + 16, nullptr, 10);
  }
  const int status = status_;
  const std::string answer =
      "HTTP/1.1 " + std::to_string(status) + " X\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
  if (write(connection, answer.data(), answer.size()) < 0) return;
  const size_t path_start = request.find(' ') + 1;
  const std::string path = request.substr(path_start, request.find(' ', path_start) - path_start);
  {
    std::lock_guard lock(mutex_);
    posts_.push_back({path, request.substr(body_start, length), status});
  }
  changed_.notify_all();
}

}  // namespace hl::testing
