#include "audit/finding_advice.h"

#include <array>
#include <utility>

namespace hl::audit {
namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 12> kAdvice = {{
    {"car-modified",
     "The car of your lap differs from the competition's reference car: drive the lap again "
     "with the unchanged car, or the organiser may penalise it."},
    {"car-not-checked",
     "The car could not be checked because the organiser's reference car file is missing or "
     "incomplete; nothing to do on your side."},
    {"duplicate-track-file",
     "Your track file is byte for byte another entry's: upload the file of your own lap."},
    {"duplicate-ghost",
     "The recorded drive (the ghost) of your lap is another entry's: upload a lap you drove "
     "yourself."},
    {"outside-period",
     "The lap was recorded outside the competition's period: drive a lap within the period and "
     "upload it."},
    {"ghost-jump",
     "The recorded drive jumps across the track at one point, as an edited lap would: if your "
     "lap is genuine, tell the organiser."},
    {"screen-unreadable",
     "The screen shot is not a picture that can be read: upload it again as JPEG or BMP."},
    {"no-screen", "No screen shot came with the lap: upload again with the screen shot."},
    {"no-track", "No track file came with the lap: upload again with the track file (.trk)."},
    {"no-game", "No game file came with the lap: upload again with the game file (.gam)."},
    {"track-damaged",
     "The track file is damaged or cut off: save the lap again in the game and upload the new "
     "file."},
    {"changed-since-recorded",
     "The files changed after the organiser recorded the evaluation; the organiser decides "
     "whether the new files count."},
}};

}  // namespace

std::string_view FindingAdvice(std::string_view code) {
  for (const auto& [known, advice] : kAdvice) {
    if (known == code) return advice;
  }
  return "";
}

}  // namespace hl::audit
