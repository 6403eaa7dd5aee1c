#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace hl::ranking {

// The ranking entries of a run's report, in the order their result lines
// ("1.: time driver" + CR LF) stand. A result line begins with "1.:", after
// nothing but spaces; its entry is the text after "1.:" up to the line end,
// without its outer spaces, with "0" in front of a three-digit time so that
// every entry of 1 to 99.99 seconds has four time digits. An occurrence with
// no line end after it yields nothing.
std::vector<std::string> CollectRankingEntries(std::string_view report);

// The ranking entry of one result line's text after "1.:".
std::string RankingEntryText(std::string_view result);

// "1 - entry" CR LF, "2 - entry" CR LF, ... for entries sorted descending,
// so the last of them gets number 1.
std::string RankingBlock(const std::vector<std::string>& descending);

}  // namespace hl::ranking
