#include "server/review_sessions.h"

#include <algorithm>
#include <utility>

#include "server/access_token.h"

namespace hl::server {

std::optional<ReviewSession> ReviewSessions::Open(const std::string& who, int64_t now) {
  const auto id = NewToken();
  const auto csrf = NewToken();
  if (!id || !csrf) return std::nullopt;
  ReviewSession session{*id, who, *csrf, now + kLifetimeSeconds};
  std::lock_guard lock(mutex_);
  MakeRoom(now);
  sessions_[TokenHash(*id)] = {session, ""};
  return session;
}

std::optional<ReviewSession> ReviewSessions::Find(const std::string& id, int64_t now) {
  if (id.empty()) return std::nullopt;
  const std::string hash = TokenHash(id);
  std::lock_guard lock(mutex_);
  // Looked up by hash, so the map's comparisons reveal nothing of live ids.
  const auto found = sessions_.find(hash);
  if (found == sessions_.end() || !SameHash(found->first, hash)) return std::nullopt;
  if (found->second.session.expires <= now) {
    sessions_.erase(found);
    return std::nullopt;
  }
  return found->second.session;
}

void ReviewSessions::Close(const std::string& id) {
  std::lock_guard lock(mutex_);
  sessions_.erase(TokenHash(id));
}

void ReviewSessions::SetOutcome(const std::string& id, std::string outcome) {
  std::lock_guard lock(mutex_);
  const auto found = sessions_.find(TokenHash(id));
  if (found != sessions_.end()) found->second.outcome = std::move(outcome);
}

std::string ReviewSessions::TakeOutcome(const std::string& id) {
  std::lock_guard lock(mutex_);
  const auto found = sessions_.find(TokenHash(id));
  if (found == sessions_.end()) return "";
  return std::exchange(found->second.outcome, "");
}

void ReviewSessions::MakeRoom(int64_t now) {
  std::erase_if(sessions_, [now](const auto& item) { return item.second.session.expires <= now; });
  if (sessions_.size() < kMostSessions) return;
  const auto first_to_end =
      std::min_element(sessions_.begin(), sessions_.end(), [](const auto& a, const auto& b) {
        return a.second.session.expires < b.second.session.expires;
      });
  sessions_.erase(first_to_end);
}

}  // namespace hl::server
