#include "tools/competition/sample_runs.h"

#include <algorithm>

namespace hl::competition {
namespace {

constexpr int kSide = 512;
constexpr int kLongestRun = 4095;

struct ColourRun {
  int colour;
  int length;
};

std::vector<ColourRun> NaturalRuns(const std::vector<uint8_t>& map) {
  std::vector<ColourRun> runs;
  for (int y = kSide - 1; y >= 0; --y) {
    for (int x = 0; x < kSide; ++x) {
      const int colour = map[static_cast<size_t>(y * kSide + x)] & 15;
      if (!runs.empty() && runs.back().colour == colour && runs.back().length < kLongestRun) {
        ++runs.back().length;
      } else {
        runs.push_back({colour, 1});
      }
    }
  }
  return runs;
}

// One pass absorbing runs of at most `shortest` pixels (and neighbours of the
// same colour) into the run before them, stopping at the target count.
bool MergePass(std::vector<ColourRun>& runs, int shortest, size_t target) {
  std::vector<ColourRun> merged;
  merged.reserve(runs.size());
  bool changed = false;
  for (size_t i = 0; i < runs.size(); ++i) {
    const ColourRun& run = runs[i];
    const size_t would_remain = merged.size() + (runs.size() - i);
    if (!merged.empty() && would_remain > target) {
      ColourRun& before = merged.back();
      const bool absorbable = run.colour == before.colour || run.length <= shortest;
      if (absorbable && before.length + run.length <= kLongestRun) {
        before.length += run.length;
        changed = true;
        continue;
      }
    }
    merged.push_back(run);
  }
  runs = std::move(merged);
  return changed;
}

void Coarsen(std::vector<ColourRun>& runs, size_t target) {
  int shortest = 1;
  while (runs.size() > target) {
    const bool changed = MergePass(runs, shortest, target);
    if (!changed && shortest == kLongestRun) return;
    shortest = std::min(kLongestRun, shortest * 2);
  }
}

void Refine(std::vector<ColourRun>& runs, size_t target) {
  while (runs.size() < target) {
    std::vector<ColourRun> split;
    split.reserve(target);
    size_t missing = target - runs.size();
    for (const ColourRun& run : runs) {
      if (missing > 0 && run.length >= 2) {
        split.push_back({run.colour, run.length / 2});
        split.push_back({run.colour, run.length - run.length / 2});
        --missing;
      } else {
        split.push_back(run);
      }
    }
    runs = std::move(split);
  }
}

}  // namespace

std::vector<RunPair> EncodeMapRuns(const std::vector<uint8_t>& map, int target) {
  std::vector<ColourRun> runs = NaturalRuns(map);
  if (target > 0) {
    const auto wanted = static_cast<size_t>(std::clamp(target, kMinRunTarget, kMaxRunTarget));
    Coarsen(runs, wanted);
    Refine(runs, wanted);
  }
  std::vector<RunPair> pairs;
  pairs.reserve(runs.size());
  for (const ColourRun& run : runs) pairs.push_back(Run(run.colour, run.length));
  return pairs;
}

}  // namespace hl::competition
