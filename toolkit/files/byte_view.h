#pragma once
// Bounds-checked little-endian reads over bytes that were really loaded.
// A read that would leave the view yields std::nullopt (or an empty text), so
// a damaged file can never make a decoder read outside what it loaded.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace hl::files {

class ByteView {
 public:
  ByteView() = default;
  explicit ByteView(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  int64_t Size() const { return static_cast<int64_t>(bytes_.size()); }
  std::span<const uint8_t> Bytes() const { return bytes_; }
  bool Contains(int64_t position, int64_t count) const;

  std::optional<uint8_t> GetU8(int64_t position) const;
  std::optional<int8_t> GetI8(int64_t position) const;
  std::optional<int16_t> GetI16(int64_t position) const;
  std::optional<uint16_t> GetU16(int64_t position) const;
  std::optional<int32_t> GetI32(int64_t position) const;

  // Raw bytes from position up to the first zero byte, at most width bytes,
  // cut at the end of the view; a negative width counts as 0.
  std::string GetTextAt(int64_t position, int64_t width) const;

  // The count bytes at position, or nullopt when they do not all lie inside.
  std::optional<std::span<const uint8_t>> Slice(int64_t position, int64_t count) const;

 private:
  std::span<const uint8_t> bytes_;
};

}  // namespace hl::files
