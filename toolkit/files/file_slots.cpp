#include "toolkit/files/file_slots.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "toolkit/files/posix_io.h"

namespace hl::files {
namespace {

constexpr size_t kTransferSize = 4096;

// Opens path and keeps the descriptor only when it names a regular file.
// O_NONBLOCK makes opening a FIFO return at once instead of waiting for a peer.
int OpenRegularFile(const std::string& path, int flags) {
  const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return -1;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

// One open file with its transfer buffer. A slot either reads or writes:
// when reading, buffer[begin, end) holds bytes fetched but not yet consumed;
// when writing, buffer[0, end) holds bytes not yet handed to the system.
struct FileSlots::Slot {
  int fd = -1;
  bool writing = false;
  bool write_failed = false;
  std::vector<uint8_t> buffer = std::vector<uint8_t>(kTransferSize);
  size_t begin = 0;
  size_t end = 0;

  std::span<const uint8_t> Buffered() const {
    return std::span<const uint8_t>(buffer).subspan(begin, end - begin);
  }

  // Makes sure at least one unread byte is buffered; false at the end.
  bool Fill() {
    if (writing) return false;
    if (begin < end) return true;
    const int64_t got = ReadSome(fd, buffer);
    begin = 0;
    end = got > 0 ? static_cast<size_t>(got) : 0;
    return end > 0;
  }

  std::optional<uint8_t> PeekByte() {
    if (!Fill()) return std::nullopt;
    return buffer[begin];
  }

  bool Flush() {
    if (end > 0 && !WriteAll(fd, std::span<const uint8_t>(buffer).first(end))) write_failed = true;
    end = 0;
    return !write_failed;
  }

  bool Write(std::span<const uint8_t> bytes) {
    if (write_failed) return false;
    if (end + bytes.size() > buffer.size() && !Flush()) return false;
    if (bytes.size() >= buffer.size()) {
      if (!WriteAll(fd, bytes)) write_failed = true;
      return !write_failed;
    }
    std::copy(bytes.begin(), bytes.end(), buffer.begin() + static_cast<ptrdiff_t>(end));
    end += bytes.size();
    return true;
  }
};

FileSlots::FileSlots() = default;

FileSlots::~FileSlots() { CloseAll(); }

FileSlots::Slot* FileSlots::Get(int slot) {
  if (slot < 0 || slot >= kSlotCount) return nullptr;
  return slots_[static_cast<size_t>(slot)];
}

bool FileSlots::FileOpenRead(int slot, const std::string& path) {
  if (slot < 0 || slot >= kSlotCount) return false;
  FileClose(slot);
  const int fd = OpenRegularFile(path, O_RDONLY);
  if (fd < 0) return false;
  slots_[static_cast<size_t>(slot)] = new Slot{.fd = fd};
  return true;
}

bool FileSlots::FileCreate(int slot, const std::string& path) {
  if (slot < 0 || slot >= kSlotCount) return false;
  FileClose(slot);
  // Emptied only after the check, so a device or FIFO is never truncated.
  const int fd = OpenRegularFile(path, O_WRONLY | O_CREAT);
  if (fd < 0) return false;
  if (::ftruncate(fd, 0) != 0) {
    ::close(fd);
    return false;
  }
  slots_[static_cast<size_t>(slot)] = new Slot{.fd = fd, .writing = true};
  return true;
}

int64_t FileSlots::FileLength(int slot) {
  Slot* file = Get(slot);
  if (!file) return 0;
  struct stat info {};
  if (::fstat(file->fd, &info) != 0) return 0;
  // Writes only ever append, so buffered bytes extend the file's size.
  const int64_t pending = file->writing ? static_cast<int64_t>(file->end) : 0;
  return static_cast<int64_t>(info.st_size) + pending;
}

int64_t FileSlots::FileReadBlock(int slot, std::span<uint8_t> destination) {
  Slot* file = Get(slot);
  if (!file || file->writing) return 0;
  const auto buffered = file->Buffered();
  const size_t from_buffer = std::min(buffered.size(), destination.size());
  std::copy_n(buffered.begin(), from_buffer, destination.begin());
  file->begin += from_buffer;
  return static_cast<int64_t>(from_buffer) + ReadFully(file->fd, destination.subspan(from_buffer));
}

std::string FileSlots::FileReadLine(int slot) {
  Slot* file = Get(slot);
  std::string line;
  if (!file) return line;
  while (file->Fill()) {
    const auto buffered = file->Buffered();
    const auto stop = std::find_if(buffered.begin(), buffered.end(),
                                   [](uint8_t b) { return b == 0 || b == '\n' || b == '\r'; });
    line.append(buffered.begin(), stop);
    file->begin += static_cast<size_t>(stop - buffered.begin());
    if (stop == buffered.end()) continue;
    const uint8_t terminator = *stop;
    ++file->begin;
    if (terminator == '\r' && file->PeekByte() == uint8_t{'\n'}) ++file->begin;
    break;
  }
  return line;
}

bool FileSlots::FileAtEnd(int slot) {
  Slot* file = Get(slot);
  // A slot that is not open has nothing to read either; answering "not at
  // end" would keep a read loop spinning forever.
  return !file || !file->PeekByte();
}

bool FileSlots::FileWriteText(int slot, const std::string& text) {
  Slot* file = Get(slot);
  if (!file || !file->writing) return false;
  return file->Write(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

bool FileSlots::FileClose(int slot) {
  Slot* file = Get(slot);
  if (!file) return false;
  const bool flushed = !file->writing || file->Flush();
  const bool closed = ::close(file->fd) == 0;
  delete file;
  slots_[static_cast<size_t>(slot)] = nullptr;
  return flushed && closed;
}

void FileSlots::CloseAll() {
  for (int slot = 0; slot < kSlotCount; ++slot) FileClose(slot);
}

}  // namespace hl::files
