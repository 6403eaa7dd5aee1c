#pragma once
// The competition every benchmark runs on: as many entrants as the tool
// handles, camera-sized screen shots and dense tracks, so every stage works
// at the top of its real range.

#include <string>

#include "tools/competition/sample_competition.h"

namespace hl::bench {

competition::SampleOptions BenchmarkOptions();

// The base folder, ending in "/". HOTLAP_BENCH_COMPETITION names one made
// beforehand (bench/run.sh does so); otherwise one is generated on first use
// into a temporary folder that is removed at exit.
const std::string& BenchmarkCompetition();

}  // namespace hl::bench
