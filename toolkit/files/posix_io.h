#pragma once
// Thin wrappers over open/read/write that retry interrupted calls and loop
// over short transfers, so callers see only "all done", "end" or "failed".

#include <cstdint>
#include <span>
#include <string>

namespace hl::files {

// A descriptor for reading path, or -1 unless it names a regular file. The
// open does not block, so a FIFO posing as a file is refused at once rather
// than waiting for a writer, and a device is refused before it is read.
int OpenRegularFileForReading(const std::string& path);

// Reads as many bytes as are available up to destination.size(); returns the
// count, 0 at the end of the file and -1 on an error.
int64_t ReadSome(int fd, std::span<uint8_t> destination);
// Fills destination until it is full or the file ends; returns the count.
int64_t ReadFully(int fd, std::span<uint8_t> destination);
// True when every byte was written.
bool WriteAll(int fd, std::span<const uint8_t> bytes);

// Puts /dev/null on each of descriptors 0, 1 and 2 that is closed, so no file
// opened later takes its number and receives what was meant for the stream.
// False when standard output was among them: nothing printed can arrive.
bool ReserveStandardDescriptors();

}  // namespace hl::files
