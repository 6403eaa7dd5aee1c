#include <array>

#include "fuzz/targets/fuzz_targets.h"

namespace hl::fuzzing {

std::span<const FuzzTarget> AllFuzzTargets() {
  static constexpr std::array<FuzzTarget, 8> kTargets{{
      {"track_entry", FuzzTrackEntry},
      {"game_settings", FuzzGameSettings},
      {"bmp", FuzzBmp},
      {"jpeg", FuzzJpeg},
      {"png", FuzzPng},
      {"google_template", FuzzGoogleTemplate},
      {"ranking", FuzzRanking},
      {"server_request", FuzzServerRequest},
  }};
  return kTargets;
}

}  // namespace hl::fuzzing
