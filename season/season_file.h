#pragma once
// The season file (TOML): a title, the points table, how many results count,
// and the competitions in the order they were held.

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/text/error.h"

namespace hl::season {

struct SeasonCompetition {
  std::string folder;      // as the file names it
  std::string base_dir;    // absolute, ends with "/"
  std::string evaluation;  // absolute, or "" without one
};

struct Season {
  std::string title;
  std::vector<int64_t> points = {25, 18, 15, 12, 10, 8, 6, 4, 2, 1};  // by place, from 1
  int64_t best = 0;  // count each driver's best N results; 0 counts all
  std::vector<SeasonCompetition> competitions;
};

// Reads and checks the file; folders are relative to the file's own folder.
// A failure names the file and the line.
Result<Season> ReadSeasonFile(const std::string& path);

}  // namespace hl::season
