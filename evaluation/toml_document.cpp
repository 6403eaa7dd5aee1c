#include "evaluation/toml_document.h"

#include <algorithm>

namespace hl::evaluation {

Error AtLine(const std::string& path, int64_t line, const std::string& what) {
  return {"line " + std::to_string(line) + ": " + what, path, std::nullopt};
}

Result<toml::table> ParseToml(std::string_view text, const std::string& path) {
  try {
    return toml::parse(text, std::string_view(path));
  } catch (const toml::parse_error& error) {
    return Fail(AtLine(path, error.source().begin.line,
                       "not valid TOML: " + std::string(error.description())));
  }
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = std::min(text.find('\n', start), text.size() - 1) + 1;
    lines.push_back(text.substr(start, end - start));
    start = end;
  }
  return lines;
}

}  // namespace hl::evaluation
