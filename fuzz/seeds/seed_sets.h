#pragma once
// Small valid and nearly valid inputs for each fuzz target, made with the
// writers of the game's formats, so the fuzzers start from files that reach
// deep into the decoders instead of failing at the first check.

#include <cstdint>
#include <string>
#include <vector>

namespace hl::fuzzing {

struct Seed {
  std::string name;
  std::vector<uint8_t> bytes;
};

std::vector<Seed> TrackEntrySeeds();
std::vector<Seed> GameSettingsSeeds();
std::vector<Seed> BmpSeeds();
std::vector<Seed> JpegSeeds();
std::vector<Seed> PngSeeds();
std::vector<Seed> GoogleTemplateSeeds();
std::vector<Seed> RankingSeeds();

}  // namespace hl::fuzzing
