#include "server/rate_limit.h"

#include <algorithm>

namespace hl::server {

std::optional<int64_t> RateLimit::Take(const std::string& key, int64_t now) {
  std::lock_guard lock(mutex_);
  // Windows of addresses gone quiet are dropped, so the map stays small.
  if (now - last_sweep_ >= window_seconds_) {
    std::erase_if(windows_, [this, now](const auto& item) {
      return now - item.second.start >= window_seconds_;
    });
    last_sweep_ = now;
  }
  Window& window = windows_[key];
  if (now - window.start >= window_seconds_) window = {.start = now, .count = 0};
  if (window.count >= per_window_)
    return std::max<int64_t>(1, window.start + window_seconds_ - now);
  ++window.count;
  return std::nullopt;
}

}  // namespace hl::server
