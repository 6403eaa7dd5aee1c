#include "server/connection_share.h"

namespace hl::server {

bool ConnectionShare::Admit(const void* connection, const std::string& address,
                            bool shared_address) {
  std::lock_guard lock(mutex_);
  if (admitted_.size() >= total_) return false;
  if (!shared_address) {
    size_t& held = held_[address];
    if (held >= per_address_) return false;
    ++held;
  }
  admitted_[connection] = {address, shared_address};
  return true;
}

bool ConnectionShare::Move(const void* connection, const std::string& address,
                           bool shared_address) {
  Release(connection);
  return Admit(connection, address, shared_address);
}

void ConnectionShare::Release(const void* connection) {
  std::lock_guard lock(mutex_);
  const auto found = admitted_.find(connection);
  if (found == admitted_.end()) return;
  if (!found->second.shared) {
    const auto held = held_.find(found->second.address);
    if (held != held_.end() && --held->second == 0) held_.erase(held);
  }
  admitted_.erase(found);
}

bool ConnectionShare::Admitted(const void* connection) const {
  std::lock_guard lock(mutex_);
  return admitted_.contains(connection);
}

}  // namespace hl::server
