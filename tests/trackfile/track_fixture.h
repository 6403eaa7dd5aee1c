#pragma once
// A started tool with a track file placed in DataBuffer as the entry-file
// step leaves it, and helpers to run the decoding steps and look at image 1.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/test_app.h"
#include "toolkit/raster/color.h"
#include "tools/competition/track_file_writer.h"
#include "trackfile/ghost.h"
#include "trackfile/header.h"
#include "trackfile/objects.h"
#include "trackfile/picture.h"

namespace hl::testing {

namespace trk = competition;

// Palette indices the tests draw with, and the colours the steps add.
constexpr int kGrass = 2;
constexpr int kRoad = 4;
constexpr raster::Color kOutline = raster::Rgb(170, 170, 170);
constexpr raster::Color kGridMark = raster::Rgb(0, 64, 255);
constexpr raster::Color kGhostBlue = raster::Rgb(0, 0, 255);
constexpr raster::Color kStrip = raster::Rgb(0, 100, 150);

// Every pixel of the track square in one palette colour.
inline std::vector<trk::RunPair> FilledPicture(int colour) {
  return trk::EncodePicture(std::vector<uint8_t>(512 * 512, static_cast<uint8_t>(colour)));
}

// A plain, intact track: grass everywhere, slot 1 driven by Anna in the
// reference car, slot 0 by Bert.
inline trk::TrackFileContent PlainTrack() {
  trk::TrackFileContent content;
  content.runs = FilledPicture(kGrass);
  content.slots[0].time = 5123;
  content.slots[0].driver = "Bert";
  content.slots[0].car = trk::MakeCarBlock("Oldtimer", 3);
  content.slots[1].time = 4711;
  content.slots[1].driver = "Anna";
  content.slots[1].car = trk::MakeCarBlock("Formel K", 7);
  return content;
}

class TrackFileTest : public ::testing::Test {
 protected:
  TestApp app;

  void Load(const std::vector<uint8_t>& bytes,
            const std::string& path = "/wettbewerb/anna/rennen.trk") {
    auto region = app.s.Data->FileRegion();
    std::fill(region.begin(), region.end(), uint8_t{0});
    std::copy(bytes.begin(), bytes.end(), region.begin());
    app.s.DataSize = static_cast<int32_t>(bytes.size());
    app.s.TrackFileLoaded = true;
    app.s.FilePath = path;
  }
  void Load(const trk::TrackFileContent& content) { Load(trk::BuildTrackFile(content)); }

  void LoadCar(const std::vector<uint8_t>& car) {
    std::copy(car.begin(), car.end(), app.s.Data->CarArea().begin());
    app.s.CarSize = static_cast<int32_t>(car.size());
    app.s.CarFound = true;
  }

  void Decode() { trackfile::DecodeTrackHeader(app.s, app.ui); }

  // The steps of one entry as the workflow runs them.
  void DecodeAndDraw() {
    Decode();
    if (app.s.TrackFileInvalid) return;
    trackfile::DrawTrackPicture(app.s, app.ui);
    trackfile::DrawGrid(app.s, app.ui);
    trackfile::DrawTrackObjects(app.s, app.ui);
    trackfile::DrawGhost(app.s, app.ui);
  }

  raster::Color Pixel(int x, int y) const { return app.s.Images.Get(1)->At(x, y); }
  raster::Color Palette(int index) const { return app.s.Palette[static_cast<size_t>(index)]; }
  std::vector<std::string> Log() { return app.LogLines(); }
};

}  // namespace hl::testing
