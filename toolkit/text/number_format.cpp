#include <array>
#include <cstdio>

#include "toolkit/text/text.h"

namespace hl::text {
namespace {

constexpr int kMaxDecimals = 512;
constexpr int kDefaultDecimals = 6;

// The magnitude of a signed value, INT64_MIN included, without overflow.
uint64_t Magnitude(int64_t value) {
  return value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
}

std::string Digits(uint64_t value) {
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + value % 10));
    value /= 10;
  } while (value != 0);
  return digits;
}

}  // namespace

std::string FormatInteger(int64_t value) {
  return (value < 0 ? "-" : "") + Digits(Magnitude(value));
}

std::string FormatFixed(float value, int decimals) {
  if (decimals < 0) decimals = kDefaultDecimals;
  if (decimals > kMaxDecimals) decimals = kMaxDecimals;
  // glibc converts the exact binary value, so the digits are the correctly
  // rounded ones; the float is widened to double without change.
  const double exact = value;
  // Room for the widest text: a sign, the 39 integer digits of the largest
  // float, the point and the capped number of decimals.
  std::array<char, 1024> buffer{};
  const int length = std::snprintf(buffer.data(), buffer.size(), "%.*f", decimals, exact);
  if (length < 0 || static_cast<size_t>(length) >= buffer.size()) return {};
  return std::string(buffer.data(), static_cast<size_t>(length));
}

std::string FormatHundredths(int64_t hundredths) {
  const uint64_t magnitude = Magnitude(hundredths);
  const uint64_t cents = magnitude % 100;
  std::string text = hundredths < 0 ? "-" : "";
  text += Digits(magnitude / 100);
  text += '.';
  text += static_cast<char>('0' + cents / 10);
  text += static_cast<char>('0' + cents % 10);
  return text;
}

}  // namespace hl::text
