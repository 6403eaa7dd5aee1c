#include "tests/app/run_fixture.h"

#include <set>

#include "app/workflow.h"
#include "toolkit/raster/draw.h"
#include "tools/competition/game_file_writer.h"
#include "tools/competition/track_file_writer.h"

namespace hl::testing {

namespace {

std::vector<uint8_t> ReferenceCar(const std::string& name) {
  return competition::MakeCarBlock(name, 7);
}

}  // namespace

std::string WriteCompetition(const TempDir& dir, const std::vector<EntryContent>& entries) {
  const std::string base = dir.MakeDir("base");
  std::set<std::string> car_names = {"Ref"};
  for (const EntryContent& entry : entries) car_names.insert(entry.car_name);
  std::vector<uint8_t> car_file;
  for (const std::string& name : car_names) {
    const std::vector<uint8_t> car = ReferenceCar(name);
    car_file.insert(car_file.end(), car.begin(), car.end());
  }
  dir.WriteFile(std::string("base/") + kReferenceCarFile, car_file);

  for (const EntryContent& entry : entries) {
    competition::TrackFileContent track;
    track.slots[1].time = entry.time;
    track.slots[1].driver = entry.driver;
    track.slots[1].car = ReferenceCar(entry.car_name);
    dir.WriteFile("base/" + entry.folder + "/lap.trk", competition::BuildTrackFile(track));

    competition::GameFileContent game;
    game.track_names = {"Ring"};
    dir.WriteFile("base/" + entry.folder + "/race.gam", competition::BuildGameFile(game));
  }
  return base;
}

int32_t FixedPartSize() {
  const std::vector<uint8_t> file = competition::BuildTrackFile({});
  return static_cast<int32_t>(file.at(4) | file.at(5) << 8 | file.at(6) << 16 |
                              static_cast<uint32_t>(file.at(7)) << 24);
}

int RunScript(TestApp& app, const std::vector<int>& script,
              const std::function<void(int)>& before) {
  int taken = 0;
  app.ui.SetIdleHandler([&](ui::HeadlessUi& ui) {
    if (taken >= static_cast<int>(script.size())) return;
    if (before) before(taken);
    const int step = script[static_cast<size_t>(taken++)];
    if (step == kCloseRequest) {
      ui.RequestClose();
    } else {
      ui.Press(step);
    }
  });
  app::RunEventLoop(app.s, app.ui);
  app.ui.SetIdleHandler({});
  return taken;
}

raster::Image ExpectedProgress(const state::AppState& s, int64_t done, int64_t total,
                               const std::string& label) {
  raster::Image image = *raster::Image::Create(512, 30);
  raster::Box(image, 0, 0, 512, 30, s.Palette[16]);
  raster::Box(image, 0, 0, static_cast<int>(done * 512 / total), 30, s.Palette[17]);
  const int x = 256 - s.LabelFont->TextWidth(label) / 2;
  raster::DrawText(image, *s.LabelFont, x, 5, label, s.Palette[13], std::nullopt);
  return image;
}

}  // namespace hl::testing
