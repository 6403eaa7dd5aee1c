#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <string>

#include "toolkit/files/file_slots.h"
#include "toolkit/files/posix_io.h"

namespace hl::files {
namespace {

constexpr int kNameAttempts = 100;

struct TemporaryFile {
  std::string path;
  int fd = -1;
};

std::string RandomSuffix(std::mt19937_64& generator) {
  static constexpr char kAlphabet[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::uniform_int_distribution<size_t> pick(0, sizeof(kAlphabet) - 2);
  std::string suffix(6, ' ');
  for (char& c : suffix) c = kAlphabet[pick(generator)];
  return suffix;
}

// A new hidden file next to the target. O_EXCL guarantees it is ours; its
// mode follows the umask like any file the tool creates.
TemporaryFile CreateTemporaryBeside(const std::string& folder, const std::string& name) {
  std::mt19937_64 generator{std::random_device{}()};
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string path = folder + "." + name + "." + RandomSuffix(generator);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return {path, fd};
    if (errno != EEXIST) break;
  }
  return {};
}

bool WriteAndClose(int fd, std::span<const uint8_t> bytes, Durability durability) {
  const bool written =
      WriteAll(fd, bytes) && (durability == Durability::kAtomicOnly || ::fsync(fd) == 0);
  const bool closed = ::close(fd) == 0;
  return written && closed;
}

}  // namespace

bool ReplaceFileAtomically(const std::string& path, std::span<const uint8_t> bytes,
                           Durability durability) {
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name = path.substr(folder.size());
  if (name.empty() || name == "." || name == "..") return false;

  const TemporaryFile temporary = CreateTemporaryBeside(folder, name);
  if (temporary.fd < 0) return false;
  // rename() swaps the directory entry itself: a link at path is replaced, a
  // folder at path makes it fail, and readers never see a partial file.
  if (!WriteAndClose(temporary.fd, bytes, durability) ||
      ::rename(temporary.path.c_str(), path.c_str()) != 0) {
    ::unlink(temporary.path.c_str());
    return false;
  }
  return true;
}

}  // namespace hl::files
