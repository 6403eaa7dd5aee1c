#include "evaluation/run_fingerprints.h"

#include <algorithm>
#include <optional>

#include "toolkit/files/sha256.h"
#include "toolkit/text/utf8.h"

namespace hl::evaluation {
namespace {

// A TOML key must be UTF-8, and toml++ writes some control characters
// unquoted; such a name could never be read back, so it is left out.
bool CanBeKey(std::string_view name) {
  if (text::ValidUtf8(name) != name) return false;
  return std::none_of(name.begin(), name.end(),
                      [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

void Take(const std::string& base, const std::string& name, RunFingerprints& taken) {
  if (!CanBeKey(name)) {
    taken.not_taken.push_back(text::ValidUtf8(name) +
                              ": the name cannot be written to the evaluation file");
    return;
  }
  if (const auto digest = files::Sha256OfFile(base + name)) {
    taken.files.emplace(name, files::Sha256Text(*digest));
  } else {
    taken.not_taken.push_back(name + ": cannot be read");
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
