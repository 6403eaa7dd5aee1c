#include "evaluation/toml_document.h"

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

}  // namespace hl::evaluation
