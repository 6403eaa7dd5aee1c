#include "record/rules.h"

#include <algorithm>

namespace hl::record {

bool IsPenaltyTime(std::string_view text) {
  constexpr size_t kMaxDigits = 5;
  return !text.empty() && text.size() <= kMaxDigits &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsEntryFolderName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

}  // namespace hl::record
