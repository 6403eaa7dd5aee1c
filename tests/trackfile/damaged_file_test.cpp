#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/trackfile/track_fixture.h"

namespace hl::testing {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Build(const std::function<void(trk::TrackFileContent&)>& change) {
  auto content = PlainTrack();
  content.objects = {{10, 300, 300, 0}};
  content.ghost = {{2950, 2950}, {3000, 3000}, {3050, 3050}};
  change(content);
  return trk::BuildTrackFile(content);
}

void PutLong(Bytes& file, size_t at, int32_t value) {
  const auto bits = static_cast<uint32_t>(value);
  for (size_t i = 0; i < 4; ++i) file.at(at + i) = static_cast<uint8_t>(bits >> (8 * i));
}

int32_t FixedSizeOf(const Bytes& file) {
  return static_cast<int32_t>(file[4] | file[5] << 8 | file[6] << 16 | file[7] << 24);
}

Bytes Cut(Bytes file, int64_t size) {
  file.resize(static_cast<size_t>(size));
  return file;
}

enum class Outcome {
  kIntact,      // the six lines only
  kDamaged,     // the six lines, then "Track defekt"
  kUnreadable,  // "Track defekt" alone, the entry is invalid
};

struct DamageCase {
  const char* name;
  std::function<Bytes()> make;
  Outcome outcome;
};

const Bytes kGood = Build([](trk::TrackFileContent&) {});
const int64_t kRecords = FixedSizeOf(kGood);

const DamageCase kCases[] = {
    {"cut to 21 bytes", [] { return Cut(kGood, 21); }, Outcome::kUnreadable},
    {"cut inside the header", [] { return Cut(kGood, 10); }, Outcome::kUnreadable},
    {"cut before the fixed size", [] { return Cut(kGood, 6); }, Outcome::kUnreadable},
    {"fixed size beyond the file",
     [] {
       Bytes file = kGood;
       PutLong(file, 4, static_cast<int32_t>(file.size()) + 100);
       return file;
     },
     Outcome::kUnreadable},
    {"negative fixed size",
     [] {
       Bytes file = kGood;
       PutLong(file, 4, -5);
       return file;
     },
     Outcome::kUnreadable},
    {"cut one byte before the end of slot 1's car", [] { return Cut(kGood, kRecords + 2792); },
     Outcome::kUnreadable},
    {"cut right after slot 1's car", [] { return Cut(kGood, kRecords + 2793); }, Outcome::kDamaged},
    {"cut inside the ghost", [] { return Cut(kGood, static_cast<int64_t>(kGood.size()) - 13); },
     Outcome::kDamaged},
    {"huge pair count", [] { return Build([](auto& s) { s.pair_count = INT32_MAX; }); },
     Outcome::kDamaged},
    {"negative pair count", [] { return Build([](auto& s) { s.pair_count = -1000; }); },
     Outcome::kDamaged},
    {"more objects than records",
     [] {
       return Build([](auto& s) {
         s.objects = std::vector<trk::TrackObject>(10, {10, 300, 300, 0});
         s.object_count = 32767;
       });
     },
     Outcome::kDamaged},
    {"ghost size beyond the file", [] { return Build([](auto& s) { s.ghost_word = 32767; }); },
     Outcome::kDamaged},
    {"negative ghost size", [] { return Build([](auto& s) { s.ghost_word = -3; }); },
     Outcome::kIntact},
    {"negative object count", [] { return Build([](auto& s) { s.object_count = -2; }); },
     Outcome::kIntact},
    {"intact", [] { return kGood; }, Outcome::kIntact},
};

TEST_F(TrackFileTest, DamagedFilesAreReportedAndNeverReadBeyondTheirData) {
  for (const DamageCase& c : kCases) {
    SCOPED_TRACE(c.name);
    app.ui.ClearText(state::id::kLogBox);
    Load(c.make());
    DecodeAndDraw();  // drawing what lies inside must not fail either

    const auto lines = Log();
    switch (c.outcome) {
      case Outcome::kUnreadable:
        EXPECT_TRUE(app.s.TrackFileInvalid);
        EXPECT_EQ(lines, std::vector<std::string>{"Track defekt: rennen.trk"});
        break;
      case Outcome::kDamaged:
        EXPECT_FALSE(app.s.TrackFileInvalid);
        ASSERT_EQ(lines.size(), 7u);
        EXPECT_EQ(lines[3], "1.: 4711 Anna");
        EXPECT_EQ(lines[6], "Track defekt: rennen.trk");
        break;
      case Outcome::kIntact:
        EXPECT_FALSE(app.s.TrackFileInvalid);
        EXPECT_EQ(lines.size(), 6u);
        break;
    }
  }
}

TEST_F(TrackFileTest, ObjectsAndGhostInsideADamagedFileAreStillDrawn) {
  Load(Build([](auto& s) {
    s.objects = {{10, 100, 100, 0}, {10, 200, 200, 0}};
    s.object_count = 32767;
    s.ghost = {{2950, 5605}};
    s.ghost_word = 32767;
  }));
  DecodeAndDraw();
  EXPECT_EQ(Log().at(1), "# Objecte: 32767");
  EXPECT_EQ(Pixel(50, 461), Palette(7));
  EXPECT_EQ(Pixel(100, 411), Palette(7));
  EXPECT_EQ(Pixel(100, 411 - 90), kGhostBlue);
}

TEST_F(TrackFileTest, PictureDecodingStopsAtTheEndOfTheData) {
  Bytes file = trk::BuildTrackFile(PlainTrack());
  const trk::RunPair road = trk::Run(kRoad, 700);
  file[20] = road.first;
  file[21] = road.second;
  Load(Cut(file, 22));
  trackfile::DrawTrackPicture(app.s, app.ui);
  EXPECT_EQ(Pixel(511, 511), Palette(kRoad));
  EXPECT_EQ(Pixel(187, 510), Palette(kRoad));
  EXPECT_EQ(Pixel(188, 510), raster::Rgb(0, 0, 0));
  EXPECT_EQ(Pixel(0, 0), raster::Rgb(0, 0, 0));
}

}  // namespace
}  // namespace hl::testing
