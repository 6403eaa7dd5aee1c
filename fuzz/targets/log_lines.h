#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace hl::fuzzing {

// The lines of a log or report text, split at CR LF; "" gives no lines.
// The tests read logs with it too.
std::vector<std::string> SplitCrLf(std::string_view text);

// The entries the ranking would collect from the text: every one beyond an
// entry's own result line would be a forged result.
size_t CountResultLines(std::string_view text);

}  // namespace hl::fuzzing
