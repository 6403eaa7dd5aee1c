// Picture files: choosing the decoder by signature, reading a file whole,
// and saving PNGs.

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <span>
#include <vector>

#include "toolkit/files/file_slots.h"
#include "toolkit/files/posix_io.h"
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

// The bytes of a file, left uninitialised until read: a screen picture can
// be megabytes that would otherwise be zeroed only to be overwritten.
struct FileBytes {
  std::unique_ptr<uint8_t[]> storage;
  size_t size = 0;
  std::span<const uint8_t> View() const { return {storage.get(), size}; }
};

// Only regular files: a FIFO or device posing as a picture must not block
// or flood the tool.
std::optional<FileBytes> ReadWholeFile(const std::string& path) {
  const FileDescriptor file(files::OpenRegularFileForReading(path));
  if (file.Get() < 0) return std::nullopt;
  struct stat status {};
  if (fstat(file.Get(), &status) != 0) return std::nullopt;
  if (status.st_size > kMaxPictureFileBytes) return std::nullopt;
  const auto capacity = static_cast<size_t>(status.st_size);
  FileBytes bytes{std::make_unique_for_overwrite<uint8_t[]>(capacity), 0};
  const std::span<uint8_t> buffer(bytes.storage.get(), capacity);
  while (bytes.size < capacity) {
    const std::span<uint8_t> rest = buffer.subspan(bytes.size);
    const ssize_t got = read(file.Get(), rest.data(), rest.size());
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;  // the file shrank while being read
    bytes.size += static_cast<size_t>(got);
  }
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
  const std::optional<FileBytes> bytes = ReadWholeFile(path);
  if (!bytes) return std::nullopt;
  return DecodePicture(bytes->View(), fit_width, fit_height);
}

bool PictureDecodes(std::span<const uint8_t> bytes) {
  if (bytes.size() < 2) return false;
  if (bytes[0] == 'B' && bytes[1] == 'M') return BmpDecodes(bytes);
  return DecodePicture(bytes, 1, 1).has_value();
}

bool PictureFileDecodes(const std::string& path) {
  const std::optional<FileBytes> bytes = ReadWholeFile(path);
  return bytes && PictureDecodes(bytes->View());
}

bool SavePng(const Image& image, const std::string& path) {
  const std::optional<std::vector<uint8_t>> png = EncodePng(image);
  return png && files::ReplaceFileAtomically(path, *png);
}

}  // namespace hl::raster
