// make-fuzz-seeds CORPUS_DIR: writes the seed corpus of every fuzz target
// into CORPUS_DIR/<target>/. The same build always writes the same bytes.

#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <utility>

#include "fuzz/seeds/seed_sets.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make-fuzz-seeds CORPUS_DIR\n";
    return 2;
  }
  const std::pair<const char*, std::function<std::vector<hl::fuzzing::Seed>()>> sets[] = {
      {"track_entry", hl::fuzzing::TrackEntrySeeds},
      {"game_settings", hl::fuzzing::GameSettingsSeeds},
      {"bmp", hl::fuzzing::BmpSeeds},
      {"jpeg", hl::fuzzing::JpegSeeds},
      {"png", hl::fuzzing::PngSeeds},
      {"google_template", hl::fuzzing::GoogleTemplateSeeds},
      {"ranking", hl::fuzzing::RankingSeeds},
  };
  for (const auto& [target, make] : sets) {
    const fs::path folder = fs::path(argv[1]) / target;
    fs::create_directories(folder);
    for (const hl::fuzzing::Seed& seed : make()) {
      std::ofstream out(folder / seed.name, std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(seed.bytes.data()),
                static_cast<std::streamsize>(seed.bytes.size()));
      if (!out) {
        std::cerr << "make-fuzz-seeds: cannot write " << (folder / seed.name) << '\n';
        return 1;
      }
    }
  }
  return 0;
}
