#include "toolkit/files/data_buffer.h"

#include <algorithm>
#include <new>

namespace hl::files {
namespace {

ByteView LoadedPart(std::span<const uint8_t> region, int64_t length) {
  const int64_t loaded = std::clamp<int64_t>(length, 0, static_cast<int64_t>(region.size()));
  return ByteView(region.first(static_cast<size_t>(loaded)));
}

}  // namespace

std::unique_ptr<DataBuffer> DataBuffer::Allocate() {
  std::unique_ptr<DataBuffer> buffer(new (std::nothrow) DataBuffer());
  if (!buffer) return nullptr;
  // Value-initialised, so the block starts zero-filled.
  buffer->bytes_.reset(new (std::nothrow) uint8_t[kSize]());
  if (!buffer->bytes_) return nullptr;
  return buffer;
}

std::span<uint8_t> DataBuffer::FileRegion() {
  return std::span<uint8_t>(bytes_.get(), kSize).first(kFileRegionSize);
}

std::span<uint8_t> DataBuffer::CarArea() {
  return std::span<uint8_t>(bytes_.get(), kSize).subspan(kCarAreaOffset);
}

ByteView DataBuffer::LoadedFile(int64_t length) const {
  return LoadedPart(std::span<const uint8_t>(bytes_.get(), kSize).first(kFileRegionSize), length);
}

ByteView DataBuffer::LoadedCar(int64_t length) const {
  return LoadedPart(std::span<const uint8_t>(bytes_.get(), kSize).subspan(kCarAreaOffset), length);
}

}  // namespace hl::files
