#pragma once
#include "state/text_list.h"

namespace hl::results {

// The list in the ranking's order (ranking::EntryLess). Stable: entries
// that compare equal keep their order in either direction.
void SortEntries(state::TextList& list, bool descending);

}  // namespace hl::results
