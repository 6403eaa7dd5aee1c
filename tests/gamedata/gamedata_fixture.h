#pragma once
// A started tool and a base folder on disk for the game data routines.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "gamedata/base_folder.h"
#include "gamedata/entry_files.h"
#include "state/state.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_app.h"

namespace hl::testing {

class GameDataTest : public ::testing::Test {
 protected:
  TestApp app;
  TempDir base;

  void Load() {
    app.ui.SetFolderChoice(base.Path());
    gamedata::ScanBaseFolder(app.s, app.ui);
    app.s.FolderList.ResetPosition();
  }
  // One "Next" step as far as this subsystem goes.
  void Step() {
    ++app.s.StepCounter;
    gamedata::FindEntryFiles(app.s, app.ui);
  }
  void MakeFifo(const std::string& relative) {
    ASSERT_EQ(mkfifo((base.Path() + relative).c_str(), 0600), 0);
  }
};

}  // namespace hl::testing
