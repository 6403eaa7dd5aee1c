// Picture files: choosing the decoder by signature, reading a file whole,
// and saving PNGs.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "toolkit/files/file_slots.h"
#include "toolkit/raster/image_files.h"

namespace hl::raster {
namespace {

// Far beyond any real screen picture; a bigger file is not worth reading.
constexpr int64_t kMaxPictureFileBytes = 256LL * 1024 * 1024;

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

// Only regular files: a FIFO or device posing as a picture must not block
// or flood the tool. Opening without blocking covers the time before the
// type is known.
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path) {
  const FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (file.Get() < 0) return std::nullopt;
  struct stat status {};
  if (fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  if (status.st_size > kMaxPictureFileBytes) return std::nullopt;
  std::vector<uint8_t> bytes(static_cast<size_t>(status.st_size));
  size_t filled = 0;
  while (filled < bytes.size()) {
    const std::span<uint8_t> rest = std::span(bytes).subspan(filled);
    const ssize_t got = read(file.Get(), rest.data(), rest.size());
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;  // the file shrank while being read
    filled += static_cast<size_t>(got);
  }
  bytes.resize(filled);
  return bytes;
}

}  // namespace

std::optional<Image> DecodePicture(std::span<const uint8_t> bytes, int fit_width, int fit_height) {
  if (bytes.size() < 2) return std::nullopt;
  if (bytes[0] == 'B' && bytes[1] == 'M') return DecodeBmp(bytes);
  if (bytes[0] == 0xFF && bytes[1] == 0xD8) return DecodeJpeg(bytes, fit_width, fit_height);
  return std::nullopt;
}

std::optional<Image> LoadPictureFile(const std::string& path, int fit_width, int fit_height) {
  const std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(path);
  if (!bytes) return std::nullopt;
  return DecodePicture(*bytes, fit_width, fit_height);
}

bool SavePng(const Image& image, const std::string& path) {
  const std::optional<std::vector<uint8_t>> png = EncodePng(image);
  return png && files::ReplaceFileAtomically(path, *png);
}

}  // namespace hl::raster
