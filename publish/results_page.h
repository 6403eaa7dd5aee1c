#pragma once
// The results page: one self-contained HTML file (inline style, no script,
// nothing fetched from the network) that opens from disk next to the
// pictures of its export folder.

#include <optional>
#include <string>
#include <vector>

#include "record/competition_record.h"

namespace hl::publish {

// Paths relative to the page; absent where the picture was not written.
struct EntryPictures {
  std::optional<std::string> track;
  std::optional<std::string> screen;
};

struct PageContent {
  std::string run_date;                 // YYYY-MM-DD
  std::vector<EntryPictures> pictures;  // one per entry, folder order
  std::optional<std::string> chart{};
  std::optional<std::string> ghosts{};
};

std::string ResultsPage(const record::CompetitionRecord& competition, const PageContent& content);

}  // namespace hl::publish
