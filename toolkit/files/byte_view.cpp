#include "toolkit/files/byte_view.h"

#include <algorithm>

namespace hl::files {

bool ByteView::Contains(int64_t position, int64_t count) const {
  // Written so that no sum can overflow, whatever the caller passes.
  return position >= 0 && count >= 0 && position <= Size() && count <= Size() - position;
}

std::optional<std::span<const uint8_t>> ByteView::Slice(int64_t position, int64_t count) const {
  if (!Contains(position, count)) return std::nullopt;
  return bytes_.subspan(static_cast<size_t>(position), static_cast<size_t>(count));
}

std::optional<uint8_t> ByteView::GetU8(int64_t position) const {
  if (!Contains(position, 1)) return std::nullopt;
  return bytes_[static_cast<size_t>(position)];
}

std::optional<int8_t> ByteView::GetI8(int64_t position) const {
  const auto byte = GetU8(position);
  if (!byte) return std::nullopt;
  return static_cast<int8_t>(*byte);
}

std::optional<uint16_t> ByteView::GetU16(int64_t position) const {
  const auto bytes = Slice(position, 2);
  if (!bytes) return std::nullopt;
  return static_cast<uint16_t>((*bytes)[0] | ((*bytes)[1] << 8));
}

std::optional<int16_t> ByteView::GetI16(int64_t position) const {
  const auto value = GetU16(position);
  if (!value) return std::nullopt;
  return static_cast<int16_t>(*value);
}

std::optional<int32_t> ByteView::GetI32(int64_t position) const {
  const auto bytes = Slice(position, 4);
  if (!bytes) return std::nullopt;
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | (*bytes)[static_cast<size_t>(i)];
  return static_cast<int32_t>(value);
}

std::string ByteView::GetTextAt(int64_t position, int64_t width) const {
  if (position < 0 || position >= Size() || width <= 0) return {};
  const auto available = bytes_.subspan(static_cast<size_t>(position));
  const auto limit = available.begin() + static_cast<ptrdiff_t>(std::min(width, Size() - position));
  const auto end = std::find(available.begin(), limit, uint8_t{0});
  return std::string(available.begin(), end);
}

}  // namespace hl::files
