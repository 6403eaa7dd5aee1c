#include <string>

#include "fuzz/seeds/seed_sets.h"
#include "tools/competition/game_file_writer.h"

namespace hl::fuzzing {

namespace {

using competition::BuildGameFile;
using competition::GameFileContent;

GameFileContent Content(uint8_t track_index) {
  GameFileContent content;
  content.track_index = track_index;
  content.track_names = {"Hafenkurs", "  Kesselbogen  ", "Eichwald Ring",
                         std::string(39, 'L') + "overlong"};
  return content;
}

}  // namespace

std::vector<Seed> GameSettingsSeeds() {
  std::vector<Seed> seeds;
  seeds.push_back({"plain", BuildGameFile(Content(2))});

  GameFileContent extremes = Content(3);
  extremes.tyres = 120;
  extremes.consumption = 0;
  extremes.fuel_mass = 200;  // read signed: -56
  extremes.damage = 255;
  extremes.speed = 127;
  seeds.push_back({"extreme_settings", BuildGameFile(extremes)});

  seeds.push_back({"negative_index", BuildGameFile(Content(0x80))});
  seeds.push_back({"index_beyond_file", BuildGameFile(Content(127))});

  GameFileContent cut = Content(1);
  cut.total_length = 18;  // ends inside the settings
  seeds.push_back({"cut_in_settings", BuildGameFile(cut)});

  GameFileContent padded = Content(0);
  padded.track_names = {
      "\xDC"
      "berland \xE9t\xE9"};
  padded.total_length = 1600;
  seeds.push_back({"one_track_cp1252", BuildGameFile(padded)});
  seeds.push_back({"empty", {}});
  return seeds;
}

}  // namespace hl::fuzzing
