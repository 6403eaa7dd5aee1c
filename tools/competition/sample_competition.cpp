#include "tools/competition/sample_competition.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>

#include "toolkit/raster/font.h"
#include "tools/competition/game_file_writer.h"
#include "tools/competition/picture_writer.h"
#include "tools/competition/sample_course.h"
#include "tools/competition/sample_runs.h"
#include "tools/competition/sample_track_items.h"
#include "tools/competition/screen_shot.h"
#include "tools/competition/track_file_writer.h"

namespace hl::competition {
namespace {

namespace fs = std::filesystem;

constexpr uint8_t kTrackScale = 200;
constexpr uint8_t kGridThreshold = 10;
constexpr uint8_t kSelectedTrack = 2;
constexpr int kJpegQuality = 90;
constexpr int kModifiedCarByte = 700;
constexpr const char* kTrackFileName = "eichwald.trk";
constexpr const char* kCarFileName = "reference.car";

struct Person {
  const char* folder;
  const char* driver;  // Windows-1252
};
constexpr std::array<Person, 26> kPeople = {{
    {"anna", "Anna"},     {"bert", "Bert"},   {"cleo", "Cleo"},       {"dora", "Dora M."},
    {"emil", "Emil"},     {"finn", "Finn"},   {"goesta", "G\xF6sta"}, {"hugo", "Hugo"},
    {"ida", "Ida"},       {"jonas", "Jonas"}, {"karl", "Karl"},       {"lena", "Lena"},
    {"mia", "Mia"},       {"nils", "Nils"},   {"olga", "Olga"},       {"paul", "Paul"},
    {"quirin", "Quirin"}, {"rosa", "Rosa"},   {"sven", "Sven"},       {"tilda", "Tilda"},
    {"ulf", "Ulf"},       {"vera", "Vera"},   {"wim", "Wim"},         {"xaver", "Xaver"},
    {"yvonne", "Yvonne"}, {"zora", "Zora"},
}};

// The part each place in the cycle of eight plays.
enum class Part { Plain, ModifiedCar, NoTime, NoScreen, NoTrack, NoGame, BmpScreen, Fastest };
constexpr std::array<Part, 8> kCycle = {Part::Plain,     Part::ModifiedCar, Part::NoTime,
                                        Part::NoScreen,  Part::NoTrack,     Part::NoGame,
                                        Part::BmpScreen, Part::Fastest};
// Lap times of the first cycle, a little slower each further cycle; the BMP
// entrant ties with the first one.
constexpr std::array<int16_t, 8> kCycleTimes = {5123, 4987, 6000, 5210, 5555, 5480, 5123, 4712};

// Race settings as raw bytes: tyres, consumption, fuel mass, damage, speed.
constexpr std::array<std::array<uint8_t, 5>, 8> kSettings = {{
    {100, 100, 60, 0, 100},
    {80, 50, 100, 50, 100},
    {120, 100, 40, 100, 120},
    {100, 0, 200, 0, 100},
    {90, 100, 60, 0, 80},
    {100, 100, 80, 25, 100},
    {60, 100, 60, 0, 100},
    {100, 30, 60, 100, 127},
}};

const std::vector<std::string> kTrackList = {"Hafenkurs", "Kesselbogen", "Eichwald Ring",
                                             "D\xFCnenpiste", "Altstadt"};

struct Cars {
  std::vector<uint8_t> reference = MakeCarBlock("Falcon 2.0", 7);
  std::vector<uint8_t> rival = MakeCarBlock("Comet RS", 3);
  std::vector<uint8_t> other = MakeCarBlock("Vortex V8", 11);
};

// A short preamble puts the reference car at an odd offset, so a search that
// only looks at multiples of the block size misses it.
std::vector<uint8_t> CarFile(const Cars& cars) {
  std::vector<uint8_t> file = {'c', 'a', 'r', 's', 3};
  for (const auto* block : {&cars.rival, &cars.reference, &cars.other})
    file.insert(file.end(), block->begin(), block->end());
  return file;
}

std::optional<std::string> WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) return "cannot write " + path.string();
  return std::nullopt;
}

std::string FolderName(int index, int entrants) {
  const Person& person = kPeople[static_cast<size_t>(index) % kPeople.size()];
  if (entrants <= static_cast<int>(kPeople.size())) return person.folder;
  // At least three digits, more when the count needs them, so the folders
  // list in entrant order.
  const size_t digits = std::max<size_t>(3, std::to_string(entrants).size());
  std::string number = std::to_string(index + 1);
  number.insert(0, digits - std::min(digits, number.size()), '0');
  return number + "-" + person.folder;
}

std::string DriverName(int index) {
  const Person& person = kPeople[static_cast<size_t>(index) % kPeople.size()];
  const int round = index / static_cast<int>(kPeople.size());
  if (round == 0) return person.driver;
  // Later rounds: the plain first name with the round's number.
  std::string driver = person.folder;
  driver[0] = static_cast<char>(driver[0] - 'a' + 'A');
  return (driver + std::to_string(round + 1)).substr(0, 12);
}

// The ghost's samples in map pixels, as the screen picture draws them.
std::vector<MapPoint> LapOnMap(const std::vector<GhostSample>& ghost) {
  const double units_per_map_pixel = kTrackScale * 29.5 / 100.0;
  std::vector<MapPoint> lap;
  lap.reserve(ghost.size());
  for (const GhostSample& sample : ghost) {
    lap.push_back({static_cast<float>(sample.gx / units_per_map_pixel),
                   static_cast<float>(kMapSide - 1 - sample.gy / units_per_map_pixel)});
  }
  return lap;
}

class SampleWriter {
 public:
  SampleWriter(fs::path folder, const SampleOptions& options)
      : folder_(std::move(folder)),
        options_(options),
        label_font_(raster::LoadLabelFont()),
        camera_(course_, options.screen_width, options.screen_height,
                label_font_ ? &*label_font_ : nullptr),
        runs_(EncodeMapRuns(course_.Map(), options.runs)),
        grid_(SampleGrid(course_, kGridThreshold)),
        objects_(PlaceObjects(course_, options.objects, options.rects, kTrackScale)) {}
  SampleWriter(const SampleWriter&) = delete;
  SampleWriter& operator=(const SampleWriter&) = delete;

  std::optional<std::string> Write() {
    std::error_code ec;
    fs::create_directories(folder_, ec);
    if (!fs::is_directory(folder_, ec)) return "cannot create the folder " + folder_.string();
    if (auto problem = WriteBytes(folder_ / kCarFileName, CarFile(cars_))) return problem;
    const std::vector<SampleEntry> entries =
        options_.plan.empty() ? PlanSampleEntries(options_.entrants) : options_.plan;
    for (size_t i = 0; i < entries.size(); ++i) {
      if (auto problem = WriteEntry(entries[i], static_cast<uint32_t>(i))) return problem;
    }
    return std::nullopt;
  }

 private:
  uint32_t GhostDriver(uint32_t index) const {
    const auto drivers = static_cast<uint32_t>(options_.ghost_drivers);
    return drivers == 0 ? index : index % drivers;
  }

  std::optional<std::string> WriteEntry(const SampleEntry& entry, uint32_t index) {
    const fs::path dir = folder_ / entry.folder;
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir, ec)) return "cannot create the folder " + dir.string();
    const std::vector<GhostSample> ghost =
        entry.time < 6000 ? DriveGhost(course_, options_.ghost, GhostDriver(index), kTrackScale)
                          : std::vector<GhostSample>{};
    if (entry.has_track) {
      if (auto problem = WriteBytes(dir / kTrackFileName, TrackFile(entry, ghost))) return problem;
    }
    if (entry.has_game) {
      if (auto problem = WriteBytes(dir / (entry.folder + ".gam"), GameFile(index))) return problem;
    }
    if (entry.has_screen) {
      ScreenMoment moment;
      moment.seed = index;
      moment.lap_time = entry.time;
      moment.record_time = RecordTime(entry);
      moment.lap = LapOnMap(ghost);
      const raster::Image shot = camera_.Capture(moment);
      const std::vector<uint8_t> bytes =
          entry.bmp_screen ? EncodeBmp24(shot) : competition::EncodeJpeg(shot, kJpegQuality);
      if (bytes.empty()) return "cannot encode the screen picture of " + entry.folder;
      const char* name = entry.bmp_screen ? "Screen.BMP" : "screen.jpg";
      if (auto problem = WriteBytes(dir / name, bytes)) return problem;
    }
    return std::nullopt;
  }

  std::vector<uint8_t> TrackFile(const SampleEntry& entry,
                                 const std::vector<GhostSample>& ghost) const {
    TrackFileContent content;
    content.scale = kTrackScale;
    content.grid_threshold = kGridThreshold;
    content.runs = runs_;
    content.grid = grid_;
    content.objects = objects_;
    // Slot 0 holds the track's older record, set with another car.
    content.slots[0].time = RecordTime(entry);
    content.slots[0].driver = "Trainer";
    content.slots[0].car = cars_.rival;
    content.slots[1].time = entry.time;
    content.slots[1].driver = entry.driver;
    content.slots[1].car = cars_.reference;
    if (entry.modified_car) content.slots[1].car[kModifiedCarByte] ^= 0x20;
    content.ghost = ghost;
    return BuildTrackFile(content);
  }

  static int16_t RecordTime(const SampleEntry& entry) {
    return static_cast<int16_t>(entry.time < 6000 ? entry.time + 35 : 5650);
  }

  static std::vector<uint8_t> GameFile(uint32_t index) {
    const std::array<uint8_t, 5>& values = kSettings[index % kSettings.size()];
    GameFileContent content;
    content.tyres = values[0];
    content.consumption = values[1];
    content.fuel_mass = values[2];
    content.damage = values[3];
    content.speed = values[4];
    // One entrant left the game on another track.
    content.track_index = kCycle[index % kCycle.size()] == Part::NoScreen ? 0 : kSelectedTrack;
    content.track_names = kTrackList;
    return BuildGameFile(content);
  }

  fs::path folder_;
  SampleOptions options_;
  SampleCourse course_;
  Result<raster::Font> label_font_;
  ScreenCamera camera_;
  std::vector<RunPair> runs_;
  std::array<uint8_t, 4096> grid_;
  std::vector<TrackObject> objects_;
  Cars cars_;
};

}  // namespace

std::optional<std::string> CheckSampleOptions(const SampleOptions& o) {
  auto outside = [](int value, int low, int high) { return value < low || value > high; };
  if (outside(o.entrants, 1, 9999)) return "--entrants must lie between 1 and 9999";
  if (outside(o.screen_width, 16, 4096) || outside(o.screen_height, 16, 4096))
    return "--screen sides must lie between 16 and 4096";
  if (o.runs != 0 && outside(o.runs, kMinRunTarget, kMaxRunTarget))
    return "--runs must be 0 (natural) or lie between " + std::to_string(kMinRunTarget) + " and " +
           std::to_string(kMaxRunTarget);
  if (outside(o.objects, 0, 20000)) return "--objects must lie between 0 and 20000";
  if (outside(o.rects, 0, o.objects)) return "--rects must lie between 0 and --objects";
  // The stored ghost size is a 16-bit word holding twice the sample count.
  if (outside(o.ghost, 0, 16000)) return "--ghost must lie between 0 and 16000";
  if (outside(o.ghost_drivers, 0, o.entrants))
    return "--ghost-drivers must lie between 0 and --entrants";
  return std::nullopt;
}

std::vector<SampleEntry> PlanSampleEntries(int entrants) {
  std::vector<SampleEntry> entries;
  for (int i = 0; i < entrants; ++i) {
    const size_t place = static_cast<size_t>(i) % kCycle.size();
    const int round = i / static_cast<int>(kCycle.size());
    const Part part = kCycle[place];
    SampleEntry entry;
    entry.folder = FolderName(i, entrants);
    entry.driver = DriverName(i);
    entry.time =
        part == Part::NoTime ? 6000 : static_cast<int16_t>(kCycleTimes[place] + 7 * (round % 60));
    entry.modified_car = part == Part::ModifiedCar;
    entry.has_track = part != Part::NoTrack;
    entry.has_game = part != Part::NoGame;
    entry.has_screen = part != Part::NoScreen;
    entry.bmp_screen = part == Part::BmpScreen;
    entries.push_back(entry);
  }
  return entries;
}

std::optional<std::string> WriteSampleCompetition(const std::string& folder,
                                                  const SampleOptions& options) {
  if (auto problem = CheckSampleOptions(options)) return problem;
  return SampleWriter(folder, options).Write();
}

}  // namespace hl::competition
