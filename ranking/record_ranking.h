#pragma once
// The ranking of the evaluation record, place by place, as the report's
// ranking block lists it: same entry texts, same order.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "record/competition_record.h"

namespace hl::ranking {

struct RankedEntry {
  int64_t place = 0;  // from 1
  std::string text;   // what the report shows after "place - "
  size_t entry = 0;   // index into the record's entries
  int64_t time = 0;   // the time the ranking went by, in hundredths
};

std::vector<RankedEntry> RankRecord(const record::CompetitionRecord& competition);

}  // namespace hl::ranking
