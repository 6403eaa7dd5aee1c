#include "publish/csv_cells.h"

#include "publish/control_characters.h"
#include "toolkit/text/text.h"
#include "toolkit/text/utf8.h"

namespace hl::publish {
namespace {

constexpr std::string_view kFormulaStarts = "=+-@\t\r";

}  // namespace

CsvCell CsvText(std::string_view text) {
  std::string field;
  size_t position = 0;
  while (position < text.size()) {
    const char32_t code = text::NextCodePoint(text, position);
    text::AppendUtf8(field, IsReplacedControl(code) ? text::kReplacementCharacter : code);
  }
  if (!field.empty() && kFormulaStarts.find(field.front()) != std::string_view::npos)
    field.insert(0, 1, '\'');
  const bool quoted = field.find_first_of(",\"\r\n") != std::string::npos ||
                      (!field.empty() && (field.front() == ' ' || field.back() == ' '));
  if (!quoted) return {field};
  return {'"' + text::ReplaceAll(field, "\"", "\"\"") + '"'};
}

CsvCell CsvValue(std::string formatted) { return {std::move(formatted)}; }

std::string CsvRow(const std::vector<CsvCell>& cells) {
  std::string row;
  for (size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) row += ',';
    row += cells[i].written;
  }
  return row + "\r\n";
}

}  // namespace hl::publish
