#pragma once
// One server per base folder and per state folder. The server holds an
// exclusive flock on a file of the state folder, which names it (process and
// address), and one on the base folder itself, so nothing is written there.
// Both locks go with the process, however it ends.

#include <string>

#include "toolkit/text/error.h"

namespace hl::server {

class StateLock {
 public:
  // Takes both locks, or fails naming the server that holds one.
  static Result<StateLock> Take(const std::string& base_dir, const std::string& state_dir);
  ~StateLock();
  StateLock(StateLock&& other) noexcept;
  StateLock& operator=(StateLock&&) = delete;
  StateLock(const StateLock&) = delete;
  StateLock& operator=(const StateLock&) = delete;

  // Names this server in the lock file, for a second one to tell.
  void Describe(const std::string& holder);

 private:
  StateLock(int state_fd, int base_fd) : state_fd_(state_fd), base_fd_(base_fd) {}

  int state_fd_ = -1;
  int base_fd_ = -1;
};

}  // namespace hl::server
