#pragma once
#include <string>

namespace hl::cli {

// What `hotlap-eval --help` shows.
std::string UsageText();

}  // namespace hl::cli
