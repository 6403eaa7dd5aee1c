#include "server/state_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace hl::server {
namespace {

constexpr const char* kLockFile = "serve.lock";
constexpr size_t kHolderLimit = 512;

std::string Holder(int fd) {
  char text[kHolderLimit] = {};
  const ssize_t got = pread(fd, text, sizeof text - 1, 0);
  std::string holder(text, got > 0 ? static_cast<size_t>(got) : 0);
  while (!holder.empty() && (holder.back() == '\n' || holder.back() == '\0')) holder.pop_back();
  return holder.empty() ? "a server starting up" : holder;
}

// The process holding a flock on the file `fd` opens, from /proc/locks
// ("1: FLOCK  ADVISORY  WRITE PID MAJ:MIN:INODE 0 EOF"); 0 when not found.
long LockingProcess(int fd) {
  struct stat status {};
  if (fstat(fd, &status) != 0) return 0;
  char device[64];
  std::snprintf(device, sizeof device, "%02x:%02x:%lu", major(status.st_dev), minor(status.st_dev),
                static_cast<unsigned long>(status.st_ino));
  std::ifstream locks("/proc/locks");
  std::string line;
  while (std::getline(locks, line) && line.size() < kHolderLimit) {
    std::istringstream words(line);
    std::string number, kind, advisory, mode, pid, file;
    words >> number >> kind >> advisory >> mode >> pid >> file;
    if (kind == "FLOCK" && file == device) return std::strtol(pid.c_str(), nullptr, 10);
  }
  return 0;
}

Error Refused(const std::string& what, const std::string& path) {
  return {what, path, std::nullopt};
}

}  // namespace

Result<StateLock> StateLock::Take(const std::string& base_dir, const std::string& state_dir) {
  const std::string path = state_dir + kLockFile;
  const int state_fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (state_fd < 0)
    return Fail(Refused(std::string("cannot open the lock file: ") + std::strerror(errno), path));
  if (flock(state_fd, LOCK_EX | LOCK_NB) != 0) {
    const std::string holder = Holder(state_fd);
    close(state_fd);
    return Fail(Refused("another server uses this state folder: " + holder, state_dir));
  }
  const int base_fd = open(base_dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (base_fd < 0 || flock(base_fd, LOCK_EX | LOCK_NB) != 0) {
    const long pid = base_fd < 0 ? 0 : LockingProcess(base_fd);
    if (base_fd >= 0) close(base_fd);
    close(state_fd);
    const std::string holder = pid > 0 ? "process " + std::to_string(pid) : "another process";
    return Fail(Refused(
        "another server serves this base folder (" + holder + "), with another state folder",
        base_dir));
  }
  StateLock lock(state_fd, base_fd);
  lock.Describe("process " + std::to_string(getpid()));
  return lock;
}

StateLock::~StateLock() {
  if (state_fd_ >= 0) close(state_fd_);
  if (base_fd_ >= 0) close(base_fd_);
}

StateLock::StateLock(StateLock&& other) noexcept
    : state_fd_(other.state_fd_), base_fd_(other.base_fd_) {
  other.state_fd_ = -1;
  other.base_fd_ = -1;
}

void StateLock::Describe(const std::string& holder) {
  const std::string text = holder.substr(0, kHolderLimit - 2) + "\n";
  if (ftruncate(state_fd_, 0) == 0) (void)!pwrite(state_fd_, text.data(), text.size(), 0);
}

}  // namespace hl::server
