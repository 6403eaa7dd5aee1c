#pragma once
// What the public sees now: every public view (the page with its pictures
// and counts, results.json, results.csv) is a file of the one folder chosen
// here, so nothing can leak through one view that another hides.

#include <cstdint>
#include <string>

#include "evaluation/closing_time.h"

namespace hl::server {

enum class PublicSource { kLive, kFrozen, kFinal };

// The page folders that may be public, each ending with "/" or "" when
// there is none yet.
struct PageFolders {
  std::string live;
  std::string frozen;           // the standings as they were at the freeze
  std::string latest_revision;  // the latest final revision published
};

struct PublicView {
  PublicSource source = PublicSource::kLive;
  std::string folder;  // "" while the page chosen is being built
  // Whether an entrant is told their place among the others.
  bool places_shown = true;
};

// The latest final revision once one is published; from the freeze until
// then the standings as they were at the freeze (never the live ones, even
// while the frozen page is being built); before the freeze the live page.
PublicView PublicViewAt(int64_t now_seconds, const evaluation::Closing& closing,
                        const PageFolders& pages);

}  // namespace hl::server
