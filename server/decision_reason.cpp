#include "server/decision_reason.h"

#include <algorithm>

#include "toolkit/text/utf8.h"

namespace hl::server {
namespace {

// Enough for a steward's sentence or two; the page shows every reason.
constexpr size_t kMaxReasonBytes = 2000;

}  // namespace

std::optional<std::string> ReasonProblem(const std::string& reason) {
  if (reason.find_first_not_of(" \t\r\n") == std::string::npos)
    return "a reason is required: the entrant is shown why";
  if (reason.size() > kMaxReasonBytes)
    return "the reason is longer than " + std::to_string(kMaxReasonBytes) + " bytes";
  const bool controls = std::any_of(reason.begin(), reason.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && c != '\n' && c != '\r' && c != '\t') || byte == 0x7f;
  });
  if (controls || text::ValidUtf8(reason) != reason)
    return "the reason must be text (UTF-8, without control characters)";
  return std::nullopt;
}

}  // namespace hl::server
