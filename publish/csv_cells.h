#pragma once
// The cells of the CSV files the program writes (RFC 4180, UTF-8, CR LF).
// Text from files and names is written so that it can neither break a row
// nor be taken for a formula by a spreadsheet; values the program formatted
// itself are written as they are, so numbers stay numbers.

#include <string>
#include <string_view>
#include <vector>

namespace hl::publish {

struct CsvCell {
  std::string written;
};

// Text: quoted when it holds a comma, a quote, a line break or spaces at its
// ends; other control characters and bytes that are not UTF-8 become U+FFFD;
// text beginning with =, +, -, @, a tab or a CR gets a ' before it, the
// spreadsheets' sign for "this is text", so "=2+5" shows as written.
CsvCell CsvText(std::string_view text);
// A number or truth value the program formatted, or "" for none.
CsvCell CsvValue(std::string formatted);

// The cells joined by commas, ending with CR LF.
std::string CsvRow(const std::vector<CsvCell>& cells);

}  // namespace hl::publish
