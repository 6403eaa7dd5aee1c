#include <gtest/gtest.h>

#include <algorithm>

#include "tests/gamedata/gamedata_fixture.h"

namespace hl::testing {
namespace {

using Lines = std::vector<std::string>;

TEST_F(GameDataTest, CancelledChooserLeavesEverythingEmpty) {
  app.s.ReportText = app.s.TrackBaseName = "old";
  app.ui.SetFolderChoice("");
  gamedata::ScanBaseFolder(app.s, app.ui);
  EXPECT_EQ(app.ui.LastChooserTitle(), "Directory");
  EXPECT_EQ(app.ui.LastChooserInitial(), app.s.CurrentDir);
  EXPECT_EQ(app.s.BaseDir + app.s.ReportText + app.s.TrackBaseName, "");
  EXPECT_TRUE(app.LogLines().empty());
}

TEST_F(GameDataTest, EntryFoldersInByteOrderAndOnlyRealCarFilesCount) {
  for (const char* folder : {"b", "A", "with space", "\xC3\x9Cmlaut", "bad\xFF", "y.car"}) {
    base.MakeDir(folder);
  }
  for (const char* file : {"car", "x.car.bak", "notes.txt"}) base.WriteFile(file, "x");
  base.MakeDir("b/deeper");
  Load();
  EXPECT_EQ(app.s.BaseDir, base.Path());
  EXPECT_EQ(app.s.FolderList.Items(),
            (Lines{"A", "b", "bad\xFF", "with space", "y.car", "\xC3\x9Cmlaut"}));
  EXPECT_EQ(app.LogLines(), Lines{"no car!"});
  EXPECT_FALSE(app.s.CarFound);
}

TEST_F(GameDataTest, EveryCarFileIsLoggedAndTheLastOneIsRead) {
  base.WriteFile("a.car", std::string(1344, 'a'));
  base.WriteFile("B.CAR", std::string(10, 'B'));
  Load();
  EXPECT_EQ(app.LogLines(), (Lines{"Car: B.CAR", "Car: a.car"}));
  EXPECT_TRUE(app.s.CarFound);
  EXPECT_EQ(app.s.CarFileName, "a.car");
  EXPECT_EQ(app.s.CarSize, 1344);
  const auto car = app.s.Data->CarArea();
  EXPECT_TRUE(std::all_of(car.begin(), car.begin() + 1344, [](uint8_t b) { return b == 'a'; }));
  EXPECT_EQ(car[1344], 0);
}

TEST_F(GameDataTest, CarFileSizeLimit) {
  struct Case {
    int size;
    bool found;
  };
  for (const Case& c : {Case{0, true}, Case{1343, true}, Case{1344, true}, Case{99'999, true},
                        Case{100'000, false}}) {
    SCOPED_TRACE(c.size);
    TestApp fresh;
    TempDir folder;
    folder.WriteFile("ref.car", std::string(static_cast<size_t>(c.size), '\x7F'));
    fresh.ui.SetFolderChoice(folder.Path());
    gamedata::ScanBaseFolder(fresh.s, fresh.ui);
    EXPECT_EQ(fresh.s.CarFound, c.found);
    EXPECT_EQ(fresh.s.CarSize, c.size);
    Lines expected{"Car: ref.car"};
    if (!c.found) expected.push_back("no car!");
    EXPECT_EQ(fresh.LogLines(), expected);
    // A refused car file leaves CarArea untouched.
    EXPECT_EQ(fresh.s.Data->CarArea()[0], c.found && c.size > 0 ? 0x7F : 0);
  }
}

}  // namespace
}  // namespace hl::testing
