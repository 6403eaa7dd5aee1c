#include "toolkit/files/file_slots.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "toolkit/files/posix_io.h"

namespace hl::files {
namespace {

constexpr size_t kTransferSize = 4096;

}  // namespace

// One open file with its read buffer: buffer[begin, end) holds bytes fetched
// but not yet consumed.
struct FileSlots::Slot {
  int fd = -1;
  std::vector<uint8_t> buffer = std::vector<uint8_t>(kTransferSize);
  size_t begin = 0;
  size_t end = 0;

  std::span<const uint8_t> Buffered() const {
    return std::span<const uint8_t>(buffer).subspan(begin, end - begin);
  }

  // Makes sure at least one unread byte is buffered; false at the end.
  bool Fill() {
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
  const int fd = OpenRegularFileForReading(path);
  if (fd < 0) return false;
  slots_[static_cast<size_t>(slot)] = new Slot{.fd = fd};
  return true;
}

int64_t FileSlots::FileLength(int slot) {
  Slot* file = Get(slot);
  if (!file) return 0;
  struct stat info {};
  if (::fstat(file->fd, &info) != 0) return 0;
  return static_cast<int64_t>(info.st_size);
}

int64_t FileSlots::FileReadBlock(int slot, std::span<uint8_t> destination) {
  Slot* file = Get(slot);
  if (!file) return 0;
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

bool FileSlots::FileClose(int slot) {
  Slot* file = Get(slot);
  if (!file) return false;
  ::close(file->fd);
  delete file;
  slots_[static_cast<size_t>(slot)] = nullptr;
  return true;
}

void FileSlots::CloseAll() {
  for (int slot = 0; slot < kSlotCount; ++slot) FileClose(slot);
}

}  // namespace hl::files
