#include "results/sort_entries.h"

#include "ranking/entry_order.h"

namespace hl::results {

void SortEntries(state::TextList& list, bool descending) {
  list.SortStable(ranking::EntryLess, descending);
}

}  // namespace hl::results
