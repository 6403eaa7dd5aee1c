#include "evaluation/toml_document.h"

#include <algorithm>

namespace hl::evaluation {

Error AtLine(const std::string& path, int64_t line, const std::string& what) {
  return {"line " + std::to_string(line) + ": " + what, path, std::nullopt};
}

namespace {

std::string_view LineOf(std::string_view text, int64_t line) {
  size_t start = 0;
  for (int64_t at = 1; at < line && start != std::string_view::npos; ++at) {
    start = text.find('\n', start);
    if (start != std::string_view::npos) ++start;
  }
  if (start == std::string_view::npos || start > text.size()) return {};
  const std::string_view rest = text.substr(start);
  return rest.substr(0, rest.find_first_of("\r\n"));
}

std::string_view Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// toml++ garbles the key in its message about a key given twice; the line
// says it as the organiser wrote it.
std::string Description(const toml::parse_error& error, std::string_view text) {
  const std::string description(error.description());
  if (description.find("cannot redefine existing") == std::string::npos) return description;
  const std::string_view line = LineOf(text, error.source().begin.line);
  const std::string_view key = Trimmed(line.substr(0, line.find('=')));
  if (key.empty()) return description;
  return std::string(key) + " is defined twice";
}

}  // namespace

Result<toml::table> ParseToml(std::string_view text, const std::string& path) {
  try {
    return toml::parse(text, std::string_view(path));
  } catch (const toml::parse_error& error) {
    return Fail(
        AtLine(path, error.source().begin.line, "not valid TOML: " + Description(error, text)));
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
