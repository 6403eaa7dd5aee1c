#pragma once
#include <string_view>
#include <vector>

namespace hl::fuzzing {

// The lines of a log or report text, split at CR LF.
std::vector<std::string_view> SplitCrLf(std::string_view text);

// Lines that begin with the result prefix "1.: ".
size_t CountResultLines(std::string_view text);

}  // namespace hl::fuzzing
