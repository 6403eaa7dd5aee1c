#pragma once
// Competition folders and scripted runs for the whole-tool tests.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/test_app.h"
#include "toolkit/raster/image.h"

namespace hl::testing {

constexpr const char* kHyphenLine = "---------------------------------------------------";
constexpr const char* kReferenceCarFile = "ref.car";

struct EntryContent {
  std::string folder;
  int16_t time = 5987;
  std::string driver = "Anna";
  std::string car_name = "Ref";  // the car driven; the reference car file holds it
};

// A base folder "base/" in `dir` with a car file holding every car driven
// and one subfolder per entry with a track file and a game file. Returns
// its path.
std::string WriteCompetition(const TempDir& dir, const std::vector<EntryContent>& entries);
// The value the track files of WriteCompetition log as their size.
int32_t FixedPartSize();

// A press of a gadget, or a close request.
constexpr int kCloseRequest = -1;

// Answers every wait of the tool for input with the next step of `script`;
// `before` sees the state before each step (its index from 0). When the
// script is used up the wait answers a close request. Returns the number of
// steps taken.
int RunScript(TestApp& app, const std::vector<int>& script,
              const std::function<void(int)>& before = {});

// What the progress bar must look like for these arguments and this label.
raster::Image ExpectedProgress(const state::AppState& s, int64_t done, int64_t total,
                               const std::string& label);

}  // namespace hl::testing
