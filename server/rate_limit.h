#pragma once
// Requests per address (or per token) in a window of time (a minute unless
// told), counted in memory; a restart starts afresh.

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace hl::server {

class RateLimit {
 public:
  explicit RateLimit(int64_t per_window, int64_t window_seconds = 60)
      : per_window_(per_window), window_seconds_(window_seconds) {}

  // Counts one request of `key` at `now` (seconds); nullopt when it is
  // allowed, else the seconds until the next one is.
  std::optional<int64_t> Take(const std::string& key, int64_t now);
  // As Take, without counting: how long `key` still has to wait.
  std::optional<int64_t> Waiting(const std::string& key, int64_t now);

 private:
  struct Window {
    int64_t start = 0;
    int64_t count = 0;
  };
  int64_t per_window_;
  int64_t window_seconds_;
  // The key's window at `now`, started afresh once it has passed; under `mutex_`.
  Window& Current(const std::string& key, int64_t now);
  std::optional<int64_t> WaitOf(const Window& window, int64_t now) const;

  std::mutex mutex_;
  std::map<std::string, Window> windows_;
  int64_t last_sweep_ = 0;
};

}  // namespace hl::server
