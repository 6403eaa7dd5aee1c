#include <algorithm>
#include <cmath>
#include <cstdio>

#include "audit/entry_findings.h"
#include "audit/finding_list.h"

namespace hl::audit {
namespace {

// A real lap moves by about the same distance from sample to sample; a step
// far beyond the usual one is a car put somewhere else. The floor keeps the
// slow, short steps of a lap that barely moves from counting as jumps.
constexpr double kJumpFactor = 8.0;
constexpr double kJumpFloor = 20.0;  // pixels

double Distance(const record::GhostPoint& a, const record::GhostPoint& b) {
  return std::hypot(static_cast<double>(b.x) - a.x, static_cast<double>(b.y) - a.y);
}

double Median(std::vector<double> values) {
  const size_t middle = values.size() / 2;
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle),
                   values.end());
  const double upper = values[middle];
  if (values.size() % 2 == 1) return upper;
  const double lower =
      *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle));
  return (lower + upper) / 2.0;
}

std::string OneDecimal(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

}  // namespace

void AddGhostJumpFindings(const record::EntryRecord& entry,
                          std::vector<record::Finding>& findings) {
  const std::span<const record::GhostPoint> points = entry.evidence.ghost_points.Items();
  if (points.size() < 2) return;
  std::vector<double> steps;
  steps.reserve(points.size() - 1);
  for (size_t i = 1; i < points.size(); ++i) steps.push_back(Distance(points[i - 1], points[i]));
  const auto longest = std::max_element(steps.begin(), steps.end());  // the first of equals
  const double median = Median(steps);
  if (*longest <= kJumpFactor * median || *longest <= kJumpFloor) return;
  const auto sample = static_cast<int64_t>(longest - steps.begin()) + 1;
  const double distance = std::round(*longest * 10.0) / 10.0;
  findings.push_back(MakeFinding("ghost-jump",
                                 "the ghost jumps " + OneDecimal(*longest) + " pixels at sample " +
                                     std::to_string(sample) + " (its median step is " +
                                     OneDecimal(median) + ")",
                                 {{"sample", sample}, {"distance", distance}}));
}

}  // namespace hl::audit
