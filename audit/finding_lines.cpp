#include "audit/finding_lines.h"

#include <cstdio>

namespace hl::audit {
namespace {

constexpr size_t kBytesShown = 16;

// "car-modified" -> "Car modified"
std::string Label(const std::string& code) {
  std::string label = code;
  for (char& c : label) {
    if (c == '-') c = ' ';
  }
  if (!label.empty() && label[0] >= 'a' && label[0] <= 'z') label[0] = char(label[0] - 'a' + 'A');
  return label;
}

std::string Hex(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value & 0xFF);
  return text;
}

void AddDifferences(const record::Finding& finding, std::vector<std::string>& lines) {
  const auto& fields = finding.fields;
  if (fields.contains("nearest_offset"))
    lines.push_back("    nearest reference block at offset " +
                    std::to_string(fields["nearest_offset"].get<int64_t>()) + " of the car file");
  const auto& differences = fields.value("differences", nlohmann::ordered_json::array());
  for (size_t i = 0; i < differences.size() && i < kBytesShown; ++i) {
    const auto& d = differences[i];
    lines.push_back("    offset " + std::to_string(d["offset"].get<int>()) + ": " +
                    Hex(d["entry"].get<int>()) + " where the reference has " +
                    Hex(d["reference"].get<int>()));
  }
  if (differences.size() > kBytesShown)
    lines.push_back("    ... and " + std::to_string(differences.size() - kBytesShown) + " more");
}

}  // namespace

std::vector<std::string> FindingLines(const std::vector<record::Finding>& findings) {
  std::vector<std::string> lines;
  for (const record::Finding& finding : findings) {
    lines.push_back(Label(finding.code) + ": " + finding.message);
    if (finding.code == "car-modified") AddDifferences(finding, lines);
  }
  if (findings.empty()) lines.push_back("No findings");
  return lines;
}

std::string ScreenVerdictLine(const std::optional<std::string>& screen_file, bool unreadable) {
  if (!screen_file) return "Screen shot: none";
  if (unreadable) return "Screen shot: " + *screen_file + " does not decode";
  return "Screen shot: " + *screen_file + " decodes";
}

}  // namespace hl::audit
