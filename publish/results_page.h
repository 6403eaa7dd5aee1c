#pragma once
// The results page: one self-contained HTML file (inline style, no script,
// nothing fetched from the network) that opens from disk next to the
// pictures of its export folder, and reads on a phone as on a desktop.

#include <optional>
#include <string>
#include <vector>

#include "publish/publication.h"
#include "record/competition_record.h"

namespace hl::publish {

// A picture of the export folder: its path relative to the page and its size.
struct PagePicture {
  std::string path;
  int width = 0;
  int height = 0;
};

// Absent where the picture was not written.
struct EntryPictures {
  std::optional<PagePicture> track{};
  std::optional<PagePicture> screen{};
};

struct PageContent {
  std::string run_date;                 // YYYY-MM-DD
  std::vector<EntryPictures> pictures;  // one per entry, folder order
  std::optional<PagePicture> chart{};
  std::optional<PagePicture> ghosts{};
  Publication publication;  // its standing a banner above the title when stated
};

std::string ResultsPage(const record::CompetitionRecord& competition, const PageContent& content);

}  // namespace hl::publish
