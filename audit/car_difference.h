#pragma once
// Where a car block that is not in the reference car file comes closest to
// one of its blocks, and which bytes differ there: what a disqualification
// has to show.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace hl::audit {

struct ByteDifference {
  int32_t offset = 0;  // within the block
  uint8_t reference = 0;
  uint8_t entry = 0;
};

struct NearestBlock {
  int64_t offset = 0;                       // in the car file
  std::vector<ByteDifference> differences;  // by offset
};

// Over every byte position where a whole block fits, as the car check
// searches, the one with the fewest differing bytes (the lowest on a tie);
// nullopt when the car file is shorter than the block or the block is empty.
std::optional<NearestBlock> NearestCarBlock(std::span<const uint8_t> block,
                                            std::span<const uint8_t> car_file);

}  // namespace hl::audit
