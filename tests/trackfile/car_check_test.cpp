#include "trackfile/car_check.h"

#include <gtest/gtest.h>

#include <vector>

namespace hl::testing {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes Zeros(size_t count) { return Bytes(count, 0); }

// Car data is full of zero runs, so blocks that nearly match at many
// positions are the normal case, not a curiosity.
TEST(CarCheck, FindsTheBlockBehindNearMatches) {
  Bytes one_at_end = Zeros(1344);
  one_at_end.back() = 1;
  Bytes one_in_middle = Zeros(1344);
  one_in_middle[672] = 1;
  Bytes periodic(1344);
  for (size_t i = 0; i < periodic.size(); ++i) periodic[i] = static_cast<uint8_t>(i % 3);

  struct Case {
    const char* name;
    Bytes block;
    Bytes car;
    bool found;
  };
  const Case cases[] = {
      {"zeros then a one", one_at_end, Concat({Zeros(2000), {1}, Zeros(10)}), true},
      {"zeros only", one_at_end, Zeros(5000), false},
      {"one in the middle after a longer zero run", one_in_middle,
       Concat({Zeros(1000), one_in_middle}), true},
      {"half a block, then the whole", one_in_middle,
       Concat({Bytes(one_in_middle.begin(), one_in_middle.begin() + 700), one_in_middle}), true},
      {"periodic block shifted by one period", periodic, Concat({{0, 1, 2, 0, 1}, periodic}), true},
      {"periodic block one byte short", periodic, Bytes(periodic.begin(), periodic.end() - 1),
       false},
      {"empty car file", one_at_end, {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(trackfile::CarFileHoldsBlock(c.block, files::ByteView(c.car)), c.found);
  }
}

}  // namespace
}  // namespace hl::testing
