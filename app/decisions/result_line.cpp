#include "app/decisions/result_line.h"

#include <string_view>

namespace hl::decisions {
namespace {

constexpr std::string_view kResultPrefix = "1.: ";
constexpr std::string_view kLineBreak = "\r\n";

}  // namespace

std::string WithResultLine(const std::string& log, const std::string& result) {
  size_t start = 0;
  while (!std::string_view(log).substr(start).starts_with(kResultPrefix)) {
    const size_t end = log.find(kLineBreak, start);
    if (end == std::string::npos) return log;
    start = end + kLineBreak.size();
  }
  const size_t rest = start + kResultPrefix.size();
  const size_t end = log.find(kLineBreak, rest);
  std::string rewritten = log;
  rewritten.replace(rest, end == std::string::npos ? std::string::npos : end - rest, result);
  return rewritten;
}

}  // namespace hl::decisions
