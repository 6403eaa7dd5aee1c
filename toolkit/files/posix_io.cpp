#include "toolkit/files/posix_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace hl::files {

int OpenRegularFileForReading(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return -1;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

int64_t ReadSome(int fd, std::span<uint8_t> destination) {
  for (;;) {
    const ssize_t got = ::read(fd, destination.data(), destination.size());
    if (got >= 0) return got;
    if (errno != EINTR) return -1;
  }
}

int64_t ReadFully(int fd, std::span<uint8_t> destination) {
  size_t filled = 0;
  while (filled < destination.size()) {
    const int64_t got = ReadSome(fd, destination.subspan(filled));
    if (got <= 0) break;
    filled += static_cast<size_t>(got);
  }
  return static_cast<int64_t>(filled);
}

bool ReserveStandardDescriptors() {
  bool output_open = true;
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    if (fd == STDOUT_FILENO) output_open = false;
    // open() takes the lowest free number, which is fd.
    ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
  }
  return output_open;
}

bool WriteAll(int fd, std::span<const uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t put = ::write(fd, bytes.data(), bytes.size());
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    bytes = bytes.subspan(static_cast<size_t>(put));
  }
  return true;
}

}  // namespace hl::files
