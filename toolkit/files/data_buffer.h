#pragma once
// The one block every data file of an entry is read into: 2,000,000 zero-filled
// bytes. Files are read to offset 0 (at most 1,900,000 bytes); the reference
// car file lives in CarArea, the last 100,000 bytes, for the whole run.

#include <cstdint>
#include <memory>
#include <span>

#include "toolkit/files/byte_view.h"

namespace hl::files {

class DataBuffer {
 public:
  static constexpr int64_t kSize = 2'000'000;
  static constexpr int64_t kCarAreaOffset = 1'900'000;
  static constexpr int64_t kFileRegionSize = kCarAreaOffset;
  static constexpr int64_t kCarAreaSize = kSize - kCarAreaOffset;

  // nullptr when the memory cannot be had.
  static std::unique_ptr<DataBuffer> Allocate();

  std::span<uint8_t> FileRegion();  // offset 0 .. 1,900,000
  std::span<uint8_t> CarArea();     // offset 1,900,000 .. 2,000,000
  // Views over the loaded part of each region (lengths are clamped to it).
  ByteView LoadedFile(int64_t length) const;
  ByteView LoadedCar(int64_t length) const;

 private:
  DataBuffer() = default;
  std::unique_ptr<uint8_t[]> bytes_;
};

}  // namespace hl::files
