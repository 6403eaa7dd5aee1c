#pragma once
// A complete, synthetic hot-lap competition for trying the tool out, for
// the end-to-end tests and for the benchmarks: the reference car file and
// one folder per entrant with track, game and screen files. The same options
// always give the same bytes. The screen pictures look like real captures of
// the game (textured ground, the car, a HUD), so decoding them costs what
// real ones cost; their HUD text needs the label font and is left out
// without it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace hl::competition {

// One entrant as the sample writes it. Entrants take their part from their
// place in a cycle of eight, so every sample of eight or more holds each of
// the awkward cases at least once.
struct SampleEntry {
  std::string folder;
  std::string driver;  // raw Windows-1252 bytes, as the game stores them
  int16_t time = 0;    // slot 1, hundredths; 6000 = no time
  bool modified_car = false;
  bool has_track = true;
  bool has_game = true;
  bool has_screen = true;
  bool bmp_screen = false;
};

struct SampleOptions {
  int entrants = 8;
  int screen_width = 640;
  int screen_height = 480;
  int runs = 0;  // pairs of the track picture; 0 keeps the natural coding
  int objects = 40;
  int rects = 6;  // of the objects, grandstands drawn as rotated rectangles
  int ghost = 600;
  // How many different ghosts the timed laps share out, in turn (1: every
  // lap has the same ghost); 0 gives each entrant a ghost of its own.
  int ghost_drivers = 0;
  // The entrants to write; empty writes PlanSampleEntries(entrants). Their
  // part in the cycle of eight still follows their place in the list.
  std::vector<SampleEntry> plan;
};

// A message naming the first option out of range, or nullopt.
std::optional<std::string> CheckSampleOptions(const SampleOptions& options);

std::vector<SampleEntry> PlanSampleEntries(int entrants);

// Writes the sample into `folder`, creating it when missing. Files of an
// earlier sample are overwritten; nothing is deleted. Returns the problem,
// or nullopt when everything was written.
std::optional<std::string> WriteSampleCompetition(const std::string& folder,
                                                  const SampleOptions& options);

}  // namespace hl::competition
