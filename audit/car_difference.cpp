#include "audit/car_difference.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace hl::audit {
namespace {

// A car file of 99,999 bytes has some 98,000 positions to compare 1,344
// bytes at. Two things keep that fast: bytes are compared eight at a time,
// and a few likely positions are tried first, so that at every other
// position the count stops after the first chunk that cannot beat them.
constexpr size_t kWord = 8;
constexpr size_t kChunk = 8 * kWord;
constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
constexpr uint64_t kOnes = 0x0101010101010101ULL;

uint64_t Load(const uint8_t* at) {
  uint64_t word = 0;
  std::memcpy(&word, at, sizeof word);
  return word;
}

// How many of the eight bytes differ: a byte of x is non-zero exactly when
// bit 7 of ((x & 0x7F) + 0x7F) | x is set.
size_t DifferingInWord(uint64_t a, uint64_t b) {
  const uint64_t x = a ^ b;
  const uint64_t flags = ((((x & kLow7) + kLow7) | x) >> 7) & kOnes;
  return static_cast<size_t>((flags * kOnes) >> 56);
}

size_t DifferingInRange(const uint8_t* a, const uint8_t* b, size_t count) {
  size_t differing = 0;
  size_t i = 0;
  for (; i + kWord <= count; i += kWord) differing += DifferingInWord(Load(a + i), Load(b + i));
  for (; i < count; ++i) differing += a[i] != b[i];
  return differing;
}

// The differing bytes at `at`, or some number above `limit` once they exceed it.
size_t DifferencesAt(std::span<const uint8_t> block, const uint8_t* at, size_t limit) {
  size_t differing = 0;
  for (size_t done = 0; done < block.size() && differing <= limit; done += kChunk) {
    const size_t count = std::min(kChunk, block.size() - done);
    differing += DifferingInRange(block.data() + done, at + done, count);
  }
  return differing;
}

std::vector<ByteDifference> ListDifferences(std::span<const uint8_t> block, const uint8_t* at) {
  std::vector<ByteDifference> differences;
  for (size_t i = 0; i < block.size(); ++i) {
    if (block[i] != at[i]) differences.push_back({static_cast<int32_t>(i), at[i], block[i]});
  }
  return differences;
}

class Search {
 public:
  Search(std::span<const uint8_t> block, std::span<const uint8_t> car)
      : block_(block), car_(car), best_(block.size() + 1) {}

  // A lower position wins a tie, so it may equal the best; a higher one must beat it.
  void Try(size_t offset) {
    if (offset > best_offset_ && best_ == 0) return;
    const size_t limit = offset < best_offset_ ? best_ : best_ - 1;
    const size_t differing = DifferencesAt(block_, car_.data() + offset, limit);
    if (differing <= limit) {
      best_ = differing;
      best_offset_ = offset;
    }
  }

  // Where a slightly changed block lies, some stretch of it is unchanged:
  // each occurrence of a few sample stretches names a position to try.
  void TryWhereStretchesOccur() {
    constexpr size_t kStretch = 16;
    constexpr size_t kStretches = 8;
    constexpr size_t kTriesPerStretch = 16;  // repetitive data must not make this slow
    if (block_.size() < kStretch) return;
    for (size_t k = 0; k < kStretches; ++k) {
      const size_t from = (block_.size() - kStretch) * k / (kStretches - 1);
      const auto stretch = block_.subspan(from, kStretch);
      const std::boyer_moore_horspool_searcher searcher(stretch.begin(), stretch.end());
      auto at = car_.begin();
      for (size_t tries = 0; tries < kTriesPerStretch; ++tries) {
        at = std::search(at, car_.end(), searcher);
        if (at == car_.end()) break;
        const auto found = static_cast<size_t>(at - car_.begin());
        if (found >= from && found - from + block_.size() <= car_.size()) Try(found - from);
        ++at;
      }
    }
  }

  void TryEveryPosition() {
    for (size_t offset = 0; offset + block_.size() <= car_.size(); ++offset) Try(offset);
  }

  NearestBlock Result() const {
    return {static_cast<int64_t>(best_offset_),
            ListDifferences(block_, car_.data() + best_offset_)};
  }

 private:
  std::span<const uint8_t> block_;
  std::span<const uint8_t> car_;
  size_t best_;
  size_t best_offset_ = SIZE_MAX;
};

}  // namespace

std::optional<NearestBlock> NearestCarBlock(std::span<const uint8_t> block,
                                            std::span<const uint8_t> car_file) {
  if (block.empty() || car_file.size() < block.size()) return std::nullopt;
  Search search(block, car_file);
  search.TryWhereStretchesOccur();
  search.TryEveryPosition();
  return search.Result();
}

}  // namespace hl::audit
