// Where a changed car block comes closest to the reference car file, and
// what the finding of a modified car says about it.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "audit/car_difference.h"
#include "audit/entry_findings.h"

namespace hl::audit {
namespace {

using Bytes = std::vector<uint8_t>;

// Bytes without repeated stretches, like real car data at a glance.
Bytes Noise(size_t size, uint32_t seed) {
  Bytes bytes(size);
  for (uint8_t& byte : bytes) {
    seed = seed * 1103515245u + 12345u;
    byte = static_cast<uint8_t>(seed >> 16);
  }
  return bytes;
}

Bytes Part(const Bytes& bytes, size_t from, size_t size) {
  return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from),
               bytes.begin() + static_cast<std::ptrdiff_t>(from + size));
}

// `bytes` with each listed position's byte inverted.
Bytes Changed(Bytes bytes, std::vector<size_t> at) {
  for (const size_t i : at) bytes[i] = static_cast<uint8_t>(~bytes[i]);
  return bytes;
}

Bytes Joined(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// "offset:reference>entry" for each differing byte.
std::string DifferencesText(const NearestBlock& nearest) {
  std::string text;
  for (const ByteDifference& d : nearest.differences) {
    text += std::to_string(d.offset) + ":" + std::to_string(d.reference) + ">" +
            std::to_string(d.entry) + " ";
  }
  return text;
}

TEST(NearestCarBlock, FindsTheFewestDifferencesAtTheLowestPosition) {
  const Bytes car = Noise(1000, 7);
  const Bytes twin = Noise(60, 9);
  // Two copies of one stretch: differing from the block in one byte each,
  // and in two bytes below one.
  const Bytes twice = Joined(Joined(Changed(twin, {45}), Noise(30, 11)), Changed(twin, {12}));
  const Bytes lopsided =
      Joined(Joined(Changed(twin, {30, 45}), Noise(30, 11)), Changed(twin, {12}));
  const Bytes block_of_twin = Part(twin, 5, 50);
  struct Case {
    const char* name;
    Bytes block;
    Bytes car_file;
    std::optional<int64_t> offset;  // nullopt: no position fits
    std::vector<size_t> differing;  // within the block
  };
  const Case cases[] = {
      {"unchanged", Part(car, 37, 40), car, 37, {}},
      {"first and last byte", Changed(Part(car, 37, 40), {0, 39}), car, 37, {0, 39}},
      {"across the compared chunks",
       Changed(Part(car, 300, 150), {7, 63, 64, 65, 149}),
       car,
       300,
       {7, 63, 64, 65, 149}},
      {"at the very end", Changed(Part(car, 850, 150), {100}), car, 850, {100}},
      {"every stretch broken",
       Changed(Part(car, 500, 40), {1, 5, 9, 13, 17, 21, 25, 29, 33, 37}),
       car,
       500,
       {1, 5, 9, 13, 17, 21, 25, 29, 33, 37}},
      {"tie goes to the lower copy", block_of_twin, twice, 5, {40}},
      {"fewer differences win over a lower position", block_of_twin, lopsided, 95, {7}},
      {"block as long as the file", Changed(Part(car, 0, 8), {3}), Part(car, 0, 8), 0, {3}},
      {"nothing alike", Bytes(4, 0), Bytes(6, 0xFF), 0, {0, 1, 2, 3}},
      {"block longer than the file", Part(car, 0, 41), Part(car, 0, 40), std::nullopt, {}},
      {"empty block", Bytes{}, car, std::nullopt, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto nearest = NearestCarBlock(c.block, c.car_file);
    ASSERT_EQ(nearest.has_value(), c.offset.has_value());
    if (!nearest) continue;
    EXPECT_EQ(nearest->offset, *c.offset);
    std::string expected;
    for (const size_t i : c.differing) {
      const uint8_t reference = c.car_file[static_cast<size_t>(*c.offset) + i];
      expected += std::to_string(i) + ":" + std::to_string(reference) + ">" +
                  std::to_string(c.block[i]) + " ";
    }
    EXPECT_EQ(DifferencesText(*nearest), expected);
  }
}

TEST(CarFindings, NameTheDifferingBytesOrWhyTheCarWasNotChecked) {
  const Bytes reference = Noise(400, 3);
  const Bytes twelve = Changed(Part(reference, 100, 64), {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 63});
  struct Case {
    const char* name;
    bool accepted;
    bool car_ok;
    std::optional<std::string> car_file;
    Bytes block;
    const char* code;  // nullptr: no finding
    const char* message;
  };
  const Case cases[] = {
      {"car found", true, true, "REF.CAR", Changed(Part(reference, 0, 64), {1}), nullptr, ""},
      {"no accepted track", false, false, "REF.CAR", Part(reference, 0, 64), nullptr, ""},
      {"no reference read", true, false, std::nullopt, Part(reference, 0, 64), "car-not-checked",
       "no reference car file was read"},
      {"reference too short", true, false, "SHORT.CAR", Noise(401, 5), "car-not-checked",
       "the reference car file SHORT.CAR holds no whole car block (400 bytes)"},
      {"one byte", true, false, "REF.CAR", Changed(Part(reference, 20, 64), {33}), "car-modified",
       "1 byte differs from the reference at offset 33"},
      {"many bytes", true, false, "REF.CAR", twelve, "car-modified",
       "12 bytes differ from the reference at offsets 0, 1, 2, 3, 4, 5, 6, 7, 8, 9 and 2 more"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    record::EntryRecord entry;
    if (c.accepted) entry.track.emplace().car_ok = c.car_ok;
    entry.evidence.car_block = c.block;
    std::vector<record::Finding> findings;
    AddCarFindings(entry, c.car_file, reference, findings);
    if (c.code == nullptr) {
      EXPECT_TRUE(findings.empty());
      continue;
    }
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].code, c.code);
    EXPECT_EQ(findings[0].message, c.message);
  }
}

TEST(CarFindings, CarryTheNearestOffsetAndEveryDifference) {
  const Bytes reference = Noise(300, 21);
  record::EntryRecord entry;
  entry.track.emplace().car_ok = false;
  entry.evidence.car_block = Changed(Part(reference, 120, 64), {2, 50});
  std::vector<record::Finding> findings;
  AddCarFindings(entry, "REF.CAR", reference, findings);
  ASSERT_EQ(findings.size(), 1u);
  const auto& fields = findings[0].fields;
  EXPECT_EQ(fields["nearest_offset"], 120);
  ASSERT_EQ(fields["differences"].size(), 2u);
  EXPECT_EQ(fields["differences"][1]["offset"], 50);
  EXPECT_EQ(fields["differences"][1]["reference"], reference[170]);
  EXPECT_EQ(fields["differences"][1]["entry"], static_cast<uint8_t>(~reference[170]));
}

}  // namespace
}  // namespace hl::audit
