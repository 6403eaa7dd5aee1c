#pragma once
// The entry's result line in the log, as the header step wrote it.

#include <string>

namespace hl::decisions {

// `log` with the text after "1.: " of its result line (the first line that
// starts with it) replaced by `result`; unchanged without such a line.
std::string WithResultLine(const std::string& log, const std::string& result);

}  // namespace hl::decisions
