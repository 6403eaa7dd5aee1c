#pragma once
// One order for the ranking, the chart and the Google export: a ranking entry
// is "time digits, space, driver", and entries rank by the value of their
// time first, so a five-digit time ranks after 5987 and a two-digit one
// before 0987, whatever their text length.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hl::ranking {

// The text before the first space (the whole entry when it has none).
std::string EntryTimeText(std::string_view entry);
// Whether EntryTimeText is a whole number (leading tabs, an optional sign,
// decimal digits and nothing else). A log edited by hand may hold anything
// in the time's place.
bool HasEntryTime(std::string_view entry);
// The integer value of EntryTimeText, in hundredths of a second; an entry
// without a time number counts as no time (kNoTime), never as 0, which
// would make it the winner.
int64_t EntryTime(std::string_view entry);

// Byte order after folding A-Z to a-z; a prefix orders first.
bool FoldedLess(std::string_view a, std::string_view b);
// Entries with a time number first, then time, then FoldedLess for
// entries of equal time.
bool EntryLess(const std::string& a, const std::string& b);

// Indices into `entries` from first place to last: the reverse of the
// stable descending sort, so of two equal entries the later one places
// first. The report and the results files both rank with this.
std::vector<size_t> PlaceOrder(const std::vector<std::string>& entries);

}  // namespace hl::ranking
