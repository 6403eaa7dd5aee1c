#include "evaluation/run_fingerprints.h"

#include <optional>

#include "toolkit/files/sha256.h"
#include "toolkit/text/utf8.h"

namespace hl::evaluation {
namespace {

void Take(const std::string& base, const std::string& name, RunFingerprints& taken) {
  if (const auto digest = files::Sha256OfFile(base + name)) {
    taken.files.emplace(name, files::Sha256Text(*digest));
  } else {
    taken.not_taken.push_back(text::ValidUtf8(name) + ": cannot be read");
  }
}

}  // namespace

RunFingerprints TakeFingerprints(const record::CompetitionRecord& competition) {
  RunFingerprints taken;
  if (competition.car_file) Take(competition.folder, *competition.car_file, taken);
  for (const record::EntryRecord& entry : competition.entries) {
    for (const auto* file : {&entry.track_file, &entry.game_file, &entry.screen_file}) {
      if (*file) Take(competition.folder, entry.folder + "/" + **file, taken);
    }
  }
  return taken;
}

}  // namespace hl::evaluation
