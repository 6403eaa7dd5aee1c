#include "server/rate_limit.h"

#include <algorithm>

namespace hl::server {
namespace {
constexpr int64_t kWindowSeconds = 60;
}  // namespace

std::optional<int64_t> RateLimit::Take(const std::string& key, int64_t now) {
  std::lock_guard lock(mutex_);
  // Windows of addresses gone quiet are dropped, so the map stays small.
  if (now - last_sweep_ >= kWindowSeconds) {
    std::erase_if(windows_,
                  [now](const auto& item) { return now - item.second.start >= kWindowSeconds; });
    last_sweep_ = now;
  }
  Window& window = windows_[key];
  if (now - window.start >= kWindowSeconds) window = {.start = now, .count = 0};
  if (window.count >= per_minute_) return std::max<int64_t>(1, window.start + kWindowSeconds - now);
  ++window.count;
  return std::nullopt;
}

}  // namespace hl::server
