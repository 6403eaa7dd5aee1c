#include "audit/finding_list.h"

#include <utility>

namespace hl::audit {

record::Finding MakeFinding(std::string code, std::string message, nlohmann::ordered_json fields) {
  return record::Finding{std::move(code), std::move(message), std::move(fields)};
}

std::string ListText(const std::vector<std::string>& items, size_t shown) {
  std::string text;
  for (size_t i = 0; i < items.size() && i < shown; ++i) {
    if (i > 0) text += ", ";
    text += items[i];
  }
  if (items.size() > shown) text += " and " + std::to_string(items.size() - shown) + " more";
  return text;
}

std::string CountText(size_t count, const std::string& singular, const std::string& plural) {
  return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

}  // namespace hl::audit
