#pragma once
// Open connections, counted per client address against a cap on all of
// them and a share for each address, so that one address (or a few) holding
// many slow connections cannot take the server from everyone else. A
// connection over either is answered 503 on its first request.

#include <cstddef>
#include <map>
#include <mutex>
#include <string>

namespace hl::server {

class ConnectionShare {
 public:
  ConnectionShare(size_t total, size_t per_address) : total_(total), per_address_(per_address) {}

  // Counts `connection` for `address`; false (and not counted) when it would
  // exceed the cap or the address's share. A trusted proxy carries many
  // clients: `shared_address` skips its share.
  bool Admit(const void* connection, const std::string& address, bool shared_address);
  // Counts the connection for the client a proxy named, in place of whom it
  // was counted for.
  bool Move(const void* connection, const std::string& address, bool shared_address);
  void Release(const void* connection);
  bool Admitted(const void* connection) const;

 private:
  const size_t total_;
  const size_t per_address_;
  mutable std::mutex mutex_;  // guards the members below
  struct Slot {
    std::string address;
    bool shared = false;
  };
  std::map<const void*, Slot> admitted_;
  std::map<std::string, size_t> held_;  // by address, of the connections not shared
};

}  // namespace hl::server
