#pragma once
// The evaluation file as toml++ sees it, with the file name and line a
// person needs to find a mistake.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <toml++/toml.h>

#include "toolkit/text/error.h"

namespace hl::evaluation {

// "line N: what", in `path`.
Error AtLine(const std::string& path, int64_t line, const std::string& what);

Result<toml::table> ParseToml(std::string_view text, const std::string& path);

// Each line with its line end, numbered from 1 as toml++ numbers them.
std::vector<std::string_view> SplitLines(std::string_view text);

}  // namespace hl::evaluation
