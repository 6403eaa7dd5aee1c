#pragma once
#include <cstdint>
#include <span>

#include "toolkit/files/byte_view.h"

namespace hl::trackfile {

// True when the car block occurs in the car file at any byte position
// (car files hold their blocks at offsets that need not be multiples of the
// block size). An empty block never matches.
bool CarFileHoldsBlock(std::span<const uint8_t> car_block, const files::ByteView& car_file);

}  // namespace hl::trackfile
