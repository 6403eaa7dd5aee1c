#include "trackfile/car_check.h"

#include <vector>

namespace hl::trackfile {
namespace {

// For each prefix of the block, the length of its longest proper border (a
// prefix that is also a suffix): where a partial match can go on after a
// mismatch.
std::vector<size_t> Borders(std::span<const uint8_t> block) {
  std::vector<size_t> border(block.size(), 0);
  size_t length = 0;
  for (size_t i = 1; i < block.size(); ++i) {
    while (length > 0 && block[i] != block[length]) length = border[length - 1];
    if (block[i] == block[length]) ++length;
    border[i] = length;
  }
  return border;
}

}  // namespace

// Knuth-Morris-Pratt: every byte of the car file is looked at a bounded
// number of times, so even long runs of equal bytes (common in car data)
// cannot make the search slow.
bool CarFileHoldsBlock(std::span<const uint8_t> car_block, const files::ByteView& car_file) {
  const auto car = car_file.Slice(0, car_file.Size());
  if (car_block.empty() || !car || car->size() < car_block.size()) return false;
  const std::vector<size_t> border = Borders(car_block);
  size_t matched = 0;
  for (const uint8_t byte : *car) {
    while (matched > 0 && byte != car_block[matched]) matched = border[matched - 1];
    if (byte == car_block[matched]) ++matched;
    if (matched == car_block.size()) return true;
  }
  return false;
}

}  // namespace hl::trackfile
