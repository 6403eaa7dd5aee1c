#pragma once
// Text operations and number conversions. Every text the tool shows, logs or
// writes is built from these, so their edge rules (clamping, signs, rounding,
// wrap-around) decide the exact characters of the report.
//
// Texts are UTF-8 std::strings; lengths and positions count bytes, positions
// start at 1. None of the operations fails: out-of-range counts are clamped.

#include <cstdint>
#include <string>
#include <string_view>

namespace hl::text {

bool TextEquals(std::string_view a, std::string_view b);
int64_t TextLength(std::string_view text);

// Decimal digits, "-" in front of negative values, full 64-bit range.
std::string FormatInteger(int64_t value);

// The exact stored single-precision value rounded to `decimals` places
// ("%.Nf" semantics): -1 means 6, more than 512 counts as 512, a negative
// value that rounds to zero keeps its sign ("-0.00").
std::string FormatFixed(float value, int decimals);

// Hundredths of a second as seconds with two decimals: 5987 -> "59.87",
// 87 -> "0.87", 10000 -> "100.00", -150 -> "-1.50".
std::string FormatHundredths(int64_t hundredths);

// Blanks, one sign, "$" hex or "%" binary or decimal digits; 64-bit wrap.
int64_t ParseInteger(std::string_view text);

std::string TrimSpaces(std::string_view text);  // the space character only
std::string LeadingPart(std::string_view text, int64_t count);
std::string TrailingPart(std::string_view text, int64_t count);
std::string MiddlePart(std::string_view text, int64_t start, int64_t count);

// A-Z and the Latin-1 capitals U+00C0..U+00DE (two-byte UTF-8) to lower case;
// every other byte stays.
std::string LowerCase(std::string_view text);

// Position (from 1) of the first occurrence at or after start, 0 if none.
int64_t FindText(std::string_view text, std::string_view sought, int64_t start);
std::string ReplaceAll(std::string_view text, std::string_view sought,
                       std::string_view replacement);
// The index-th field (from 1; below 1 counts as 1) between separator
// characters; only the first character of the separator counts.
std::string FieldAt(std::string_view text, int64_t index, std::string_view separator);

// Text fields of game files are Windows-1252; convert them where they are read.
std::string Cp1252ToUtf8(std::string_view bytes);

}  // namespace hl::text
