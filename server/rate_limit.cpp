#include "server/rate_limit.h"

#include <algorithm>

namespace hl::server {

RateLimit::Window& RateLimit::Current(const std::string& key, int64_t now) {
  // Windows of addresses gone quiet are dropped, so the map stays small.
  if (now - last_sweep_ >= window_seconds_) {
    std::erase_if(windows_, [this, now](const auto& item) {
      return now - item.second.start >= window_seconds_;
    });
    last_sweep_ = now;
  }
  Window& window = windows_[key];
  if (now - window.start >= window_seconds_) window = {.start = now, .count = 0};
  return window;
}

std::optional<int64_t> RateLimit::WaitOf(const Window& window, int64_t now) const {
  if (window.count < per_window_) return std::nullopt;
  return std::max<int64_t>(1, window.start + window_seconds_ - now);
}

std::optional<int64_t> RateLimit::Take(const std::string& key, int64_t now) {
  std::lock_guard lock(mutex_);
  Window& window = Current(key, now);
  if (const auto wait = WaitOf(window, now)) return wait;
  ++window.count;
  return std::nullopt;
}

std::optional<int64_t> RateLimit::Waiting(const std::string& key, int64_t now) {
  std::lock_guard lock(mutex_);
  return WaitOf(Current(key, now), now);
}

}  // namespace hl::server
