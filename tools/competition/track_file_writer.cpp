#include "tools/competition/track_file_writer.h"

#include <algorithm>
#include <utility>

namespace hl::competition {
namespace {

constexpr int64_t kPictureAt = 20;
constexpr int64_t kGridSize = 4096;
constexpr int64_t kObjectRecordSize = 8;
// The fixed part ends with 536 bytes (a 30-byte text and a closing long) the
// evaluation never reads.
constexpr int64_t kFixedTrailerSize = 536;

constexpr int64_t kDriverAt = 14;
constexpr int64_t kDriverFieldSize = 13;
constexpr int64_t kCarAt = 105;
constexpr int64_t kDateAt = 9513;
constexpr int64_t kGhostWordAt = 9625;
constexpr int64_t kGhostSampleSize = 12;
constexpr int64_t kRecordBlockHead = kGhostWordAt + 2;

class ByteWriter {
 public:
  explicit ByteWriter(int64_t size) : bytes_(static_cast<size_t>(size), 0) {}

  void U8(int64_t at, uint8_t value) { bytes_.at(static_cast<size_t>(at)) = value; }
  void U16(int64_t at, uint16_t value) {
    U8(at, static_cast<uint8_t>(value & 0xFF));
    U8(at + 1, static_cast<uint8_t>(value >> 8));
  }
  void I16(int64_t at, int16_t value) { U16(at, static_cast<uint16_t>(value)); }
  void I32(int64_t at, int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    U16(at, static_cast<uint16_t>(bits & 0xFFFF));
    U16(at + 2, static_cast<uint16_t>(bits >> 16));
  }
  // At most `width` bytes of `raw` (a string or bytes); the rest of the
  // field stays zero.
  template <typename Raw>
  void Field(int64_t at, const Raw& raw, int64_t width) {
    const int64_t count = std::min<int64_t>(width, static_cast<int64_t>(raw.size()));
    for (int64_t i = 0; i < count; ++i) {
      U8(at + i, static_cast<uint8_t>(raw[static_cast<size_t>(i)]));
    }
  }

  std::vector<uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
};

int64_t PictureBytes(const TrackFileContent& content) {
  return 2 * static_cast<int64_t>(content.runs.size());
}

int64_t ObjectCountAt(const TrackFileContent& content) {
  return kPictureAt + PictureBytes(content) + 2 + kGridSize;
}

int64_t ObjectsEnd(const TrackFileContent& content) {
  return ObjectCountAt(content) + 2 +
         kObjectRecordSize * static_cast<int64_t>(content.objects.size());
}

// The record block sits at F; a fixed size that would put it over the track
// data is still stored as given, but the block then follows the objects.
int64_t RecordBlockAt(const TrackFileContent& content, int32_t fixed_size) {
  return std::max<int64_t>(fixed_size, ObjectsEnd(content));
}

void WriteFixedPart(ByteWriter& out, const TrackFileContent& content, int32_t fixed_size) {
  out.U16(0, content.version);
  out.Field(2, content.magic, 2);
  out.I32(4, fixed_size);
  out.U8(8, content.scale);
  out.U8(9, content.grid_threshold);
  out.I32(16, content.pair_count.value_or(static_cast<int32_t>(content.runs.size())));

  int64_t at = kPictureAt;
  for (const RunPair& pair : content.runs) {
    out.U8(at, pair.first);
    out.U8(at + 1, pair.second);
    at += 2;
  }
  const int64_t grid_at = at + 2;
  for (int64_t k = 0; k < kGridSize; ++k) out.U8(grid_at + k, content.grid[static_cast<size_t>(k)]);

  const int64_t count_at = ObjectCountAt(content);
  out.I16(count_at, content.object_count.value_or(static_cast<int16_t>(content.objects.size())));
  at = count_at + 2;
  for (const TrackObject& object : content.objects) {
    out.U8(at, object.type);
    out.I16(at + 2, object.x);
    out.I16(at + 4, object.y);
    out.U8(at + 7, object.angle);
    at += kObjectRecordSize;
  }
}

void WriteRecordBlock(ByteWriter& out, const TrackFileContent& content, int64_t r) {
  for (int64_t k = 0; k < 7; ++k) {
    const ResultSlot& slot = content.slots[static_cast<size_t>(k)];
    out.I16(r + 2 * k, slot.time);
    out.Field(r + kDriverAt + kDriverFieldSize * k, slot.driver, kDriverFieldSize);
    out.Field(r + kCarAt + kCarBlockSize * k, slot.car, kCarBlockSize);
  }
  out.I16(r + kDateAt, content.record_date.year);
  out.I16(r + kDateAt + 2, content.record_date.month);
  out.I16(r + kDateAt + 6, content.record_date.day);

  const auto ghost_word = content.ghost_word.value_or(
      static_cast<int16_t>(2 * static_cast<int64_t>(content.ghost.size())));
  out.I16(r + kGhostWordAt, ghost_word);
  int64_t at = r + kRecordBlockHead;
  for (const GhostSample& sample : content.ghost) {
    out.U16(at, sample.gx);
    out.U16(at + 4, sample.gy);
    at += kGhostSampleSize;
  }
}

}  // namespace

RunPair Run(int colour, int length) {
  return RunPair{static_cast<uint8_t>((colour & 15) | ((length & 15) << 4)),
                 static_cast<uint8_t>((length >> 4) & 0xFF)};
}

std::vector<RunPair> EncodePicture(const std::vector<uint8_t>& colour_indices) {
  constexpr int kLongestRun = 4095;
  std::vector<RunPair> runs;
  int colour = -1;
  int length = 0;
  for (int y = kTrackPictureSide - 1; y >= 0; --y) {
    for (int x = 0; x < kTrackPictureSide; ++x) {
      const size_t index = static_cast<size_t>(y) * kTrackPictureSide + static_cast<size_t>(x);
      const int pixel = index < colour_indices.size() ? colour_indices[index] & 15 : 0;
      if (pixel != colour || length == kLongestRun) {
        if (length > 0) runs.push_back(Run(colour, length));
        colour = pixel;
        length = 0;
      }
      ++length;
    }
  }
  if (length > 0) runs.push_back(Run(colour, length));
  return runs;
}

std::vector<uint8_t> MakeCarBlock(const std::string& name, uint32_t seed) {
  std::vector<uint8_t> block(kCarBlockSize, 0);
  const size_t name_size = std::min(name.size(), block.size());
  std::copy_n(name.begin(), name_size, block.begin());
  // A terminating zero after the name, then bytes no two seeds share.
  uint32_t state = (seed * 2654435761u + 0x9E3779B9u) | 1u;  // xorshift never leaves 0
  for (size_t i = name_size + 1; i < block.size(); ++i) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    block[i] = static_cast<uint8_t>(state >> 24);
  }
  return block;
}

std::vector<uint8_t> BuildTrackFile(const TrackFileContent& content) {
  const auto fixed_size =
      content.fixed_size.value_or(static_cast<int32_t>(ObjectsEnd(content) + kFixedTrailerSize));
  const int64_t r = RecordBlockAt(content, fixed_size);
  const int64_t size =
      r + kRecordBlockHead + kGhostSampleSize * static_cast<int64_t>(content.ghost.size());

  ByteWriter out(size);
  WriteFixedPart(out, content, fixed_size);
  WriteRecordBlock(out, content, r);
  return out.Take();
}

}  // namespace hl::competition
