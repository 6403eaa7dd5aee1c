#pragma once
// Damaged copies of a competition folder, for checking that the evaluation
// survives whatever organisers receive: cut and bit-rotten files, header
// numbers that point anywhere, files that are folders or pipes, oversized
// files and entry folders with awkward names. Untouched files of a copy are
// hard links to the intact competition, so hundreds of copies cost little
// disk space; a damaged file is always written anew, never through a link.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/competition/sample_competition.h"

namespace hl::competition {

enum class Damage {
  Truncate,          // cut to `amount` bytes (beyond its end: unchanged)
  FlipBytes,         // `amount` bytes at random places XORed with a random non-zero mask
  SetField,          // a header number set to `value`
  ZeroLength,        // emptied
  DirectoryInstead,  // replaced by an empty folder of the same name
  FifoInstead,       // replaced by a named pipe of the same name
  Inflate,           // padded with zero bytes to `amount` bytes
  RenameEntry,       // the entry folder renamed to `new_name`
};

enum class DamagedFile { Track, Game, Screen, Car };

// The numbers of the track file the decoding trusts, and the track index of
// the game file.
enum class Field { FixedSize, PairCount, ObjectCount, GhostWord, TrackIndex };

enum class FieldValue {
  Zero,
  MinusOne,
  Largest16,   // 32767
  Smallest16,  // -32768
  BeyondFile,  // the file's length and more (the largest value a byte field holds)
};

struct Corruption {
  Damage damage = Damage::Truncate;
  DamagedFile file = DamagedFile::Track;
  int entry = 0;  // index into the entry folders sorted by name; unused for the car file
  int64_t amount = 0;
  Field field = Field::FixedSize;
  FieldValue value = FieldValue::Zero;
  uint32_t seed = 0;     // for FlipBytes
  std::string new_name;  // for RenameEntry
};

struct Variant {
  std::string name;  // folder name of the damaged copy
  std::string kind;  // the class it is tallied under
  SampleOptions sample;
  std::vector<Corruption> corruptions;
};

// `count` variants (at least every fixed case once), the same for the same
// seed: the fixed cases first, then random truncations, byte flips and
// header numbers, some combined.
std::vector<Variant> PlanVariants(int count, uint32_t seed);

// A line describing the corruption, for the index of a variant folder.
std::string Describe(const Corruption& corruption);

// Copies the competition in `intact` (a folder holding a reference car file
// and entry folders) to `target`, which must not exist yet, and applies the
// corruptions in order. A corruption whose file does not exist either
// creates it (zero length, folder, pipe) or is skipped. Returns the problem,
// or nullopt.
std::optional<std::string> WriteVariant(const std::string& intact, const std::string& target,
                                        const std::vector<Corruption>& corruptions);

}  // namespace hl::competition
