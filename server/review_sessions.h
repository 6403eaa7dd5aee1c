#pragma once
// Sessions of the review console: a random id in a cookie, whose session it
// is, the session's CSRF token and one outcome to show on the next page.
// Kept in memory: a restart logs everyone out.

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace hl::server {

struct ReviewSession {
  std::string id;
  std::string who;  // the organiser; for an entrant's own page, the entry
  std::string csrf;
  int64_t expires = 0;  // seconds, UTC
};

class ReviewSessions {
 public:
  static constexpr int64_t kLifetimeSeconds = 12 * 60 * 60;
  static constexpr size_t kMostSessions = 1000;

  // nullopt when the system gave no random bytes.
  std::optional<ReviewSession> Open(const std::string& who, int64_t now);
  // The live session with this id (compared by hash, in constant time).
  std::optional<ReviewSession> Find(const std::string& id, int64_t now);
  void Close(const std::string& id);

  // What the last decision of the session got, shown once on the next page.
  void SetOutcome(const std::string& id, std::string outcome);
  std::string TakeOutcome(const std::string& id);

 private:
  struct Kept {
    ReviewSession session;
    std::string outcome;
  };
  // Drops expired sessions and, when still full, the one that ends first.
  void MakeRoom(int64_t now);

  std::mutex mutex_;                      // guards sessions_
  std::map<std::string, Kept> sessions_;  // by the SHA-256 of the id
};

}  // namespace hl::server
