#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace hl::results {

// A chart row: the entry's time as seconds with two decimals, then the rest
// of the entry ("0987 Bert" -> "9.87 Bert", "10000 Dora" -> "100.00 Dora");
// an entry without a time number as it stands.
std::string ChartRowLabel(std::string_view entry);

// A scale value: its decimal text with a point before the last two
// characters (850 -> "8.50", -50 -> "-.50", 25 -> ".25").
std::string ScaleValueText(int64_t value);

// "<base>.txt/png gespeichert" when both files were written, otherwise
// which of them was not.
std::string SaveMessage(const std::string& track_base_name, bool report_saved, bool chart_saved);

}  // namespace hl::results
