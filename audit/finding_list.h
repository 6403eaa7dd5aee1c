#pragma once
// Small helpers the finding makers share: building a finding and listing
// numbers and names in a message that must stay on one line.

#include <string>
#include <vector>

#include "record/competition_record.h"

namespace hl::audit {

record::Finding MakeFinding(std::string code, std::string message,
                            nlohmann::ordered_json fields = nlohmann::ordered_json::object());

// "a, b, c", or the first `shown` items and "and N more".
std::string ListText(const std::vector<std::string>& items, size_t shown);

// "1 byte", "3 bytes".
std::string CountText(size_t count, const std::string& singular, const std::string& plural);

}  // namespace hl::audit
