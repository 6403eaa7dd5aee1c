#include "ranking/record_ranking.h"

#include "ranking/entry_order.h"
#include "ranking/ranking_entries.h"

namespace hl::ranking {

std::vector<RankedEntry> RankRecord(const record::CompetitionRecord& competition) {
  std::vector<std::string> texts;
  std::vector<size_t> owners;
  for (size_t i = 0; i < competition.entries.size(); ++i) {
    const record::EntryRecord& entry = competition.entries[i];
    if (!entry.track) continue;
    texts.push_back(RankingEntryText(entry.track->result));
    owners.push_back(i);
  }
  std::vector<RankedEntry> ranking;
  int64_t place = 1;
  for (const size_t at : PlaceOrder(texts)) {
    ranking.push_back({place++, texts[at], owners[at], EntryTime(texts[at])});
  }
  return ranking;
}

}  // namespace hl::ranking
