#include <string>
#include <vector>

#include "tests/trackfile/track_fixture.h"

namespace hl::testing {
namespace {

using Lines = std::vector<std::string>;

TEST_F(TrackFileTest, LogsTheSixHeaderLines) {
  auto content = PlainTrack();
  content.objects = {{10, 100, 100, 0}, {9, 200, 200, 0}, {17, 400, 400, 0}};
  content.fixed_size = 40000;
  Load(content);
  LoadCar(content.slots[1].car);
  Decode();

  EXPECT_FALSE(app.s.TrackFileInvalid);
  EXPECT_EQ(Log(), (Lines{"rennen.trk  (fest): 40000 Bytes", "# Objecte: 3", " ", "1.: 4711 Anna",
                          " ", "Car 1:Formel K ok"}));
  EXPECT_EQ(app.s.RecordBlock, 40000);
  EXPECT_EQ(app.s.Slot0Time, 5123);
  EXPECT_EQ(app.s.Slot0Driver, "Bert");
  EXPECT_EQ(app.s.SlotCarNames[0], "Oldtimer");
}

TEST_F(TrackFileTest, NameFieldsAreTrimmedCutAndConverted) {
  struct Case {
    std::string raw;
    std::string shown;
  };
  const Case cases[] = {
      {"  Anna  ", "Anna"},
      {"ABCDEFGHIJKLM", "ABCDEFGHIJKL"},  // 12 of 13 bytes, no zero byte needed
      {"\tAnna\t", "\tAnna\t"},           // only spaces are trimmed
      {"J\xF6rg", "J\xC3\xB6rg"},         // Windows-1252 to UTF-8
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.raw);
    auto content = PlainTrack();
    content.slots[1].driver = c.raw;
    content.slots[1].car = trk::MakeCarBlock(c.raw, 1);
    Load(content);
    app.ui.ClearText(state::id::kLogBox);
    Decode();
    EXPECT_EQ(app.s.Slot1Driver, c.shown);
    EXPECT_EQ(app.s.SlotCarNames[1], c.shown);
    EXPECT_EQ(Log().at(3), "1.: 4711 " + c.shown);
  }
}

TEST_F(TrackFileTest, TimesAreLoggedRawEvenWhenTheyAreNoTime) {
  for (const int16_t time : {int16_t{6000}, int16_t{32767}, int16_t{-150}}) {
    auto content = PlainTrack();
    content.slots[1].time = time;
    Load(content);
    app.ui.ClearText(state::id::kLogBox);
    Decode();
    EXPECT_EQ(Log().at(3), "1.: " + std::to_string(time) + " Anna");
  }
}

TEST_F(TrackFileTest, RejectsFilesThatAreNoTrackFiles) {
  std::vector<uint8_t> wrong_version = trk::BuildTrackFile(PlainTrack());
  wrong_version[0] = 0x04;
  auto lower_case = PlainTrack();
  lower_case.magic = "vk";
  auto cut_magic = PlainTrack();
  cut_magic.magic = std::string("V\0", 2);
  const std::vector<std::vector<uint8_t>> files = {
      {},
      {0x05},
      {0x05, 0x01, 'V'},
      wrong_version,
      trk::BuildTrackFile(lower_case),
      trk::BuildTrackFile(cut_magic),
  };
  for (const auto& file : files) {
    SCOPED_TRACE(file.size());
    app.s.Slot1Time = 1234;  // left from the entry before
    app.ui.ClearText(state::id::kLogBox);
    Load(file);
    Decode();
    EXPECT_TRUE(app.s.TrackFileInvalid);
    EXPECT_EQ(Log(), Lines{"kein Track: rennen.trk"});
    EXPECT_EQ(app.s.Slot1Time, 1234);
  }
}

TEST_F(TrackFileTest, AnEntryWithoutLoadedTrackIsInvalidAndSilent) {
  Load(PlainTrack());
  app.s.TrackFileLoaded = false;  // e.g. the file was too large to read
  Decode();
  EXPECT_TRUE(app.s.TrackFileInvalid);
  EXPECT_TRUE(Log().empty());
}

// The car file holds the reference block somewhere; `placed_at` < 0: nowhere.
struct CarCase {
  const char* name;
  int car_size;
  int placed_at;
  bool car_found;
  bool ok;
};

TEST_F(TrackFileTest, ChecksTheCarAtEveryBytePosition) {
  const CarCase cases[] = {
      {"at position 0", 5000, 0, true, true},
      {"at an odd position", 5000, 1001, true, true},
      {"ending at the last byte", 5000, 5000 - 1344, true, true},
      {"exactly one block", 1344, 0, true, true},
      {"largest car file", 99999, 99999 - 1344, true, true},
      {"absent", 99999, -1, true, false},  // near misses everywhere
      {"car file not loaded", 5000, 0, false, false},
      {"car file too short", 1343, -1, true, false},
  };
  const auto content = PlainTrack();
  const auto& block = content.slots[1].car;
  for (const CarCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> car(static_cast<size_t>(c.car_size));
    for (size_t i = 0; i < car.size(); ++i) car[i] = block[i % 1344] ^ 0x55;  // similar but wrong
    if (c.placed_at >= 0) std::copy(block.begin(), block.end(), car.begin() + c.placed_at);
    Load(content);
    LoadCar(car);
    app.s.CarFound = c.car_found;
    app.ui.ClearText(state::id::kLogBox);
    Decode();
    EXPECT_EQ(Log().at(5), c.ok ? "Car 1:Formel K ok" : "Car 1:Formel K not found!!");
  }
}

}  // namespace
}  // namespace hl::testing
