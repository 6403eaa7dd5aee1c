// hotlap-eval runs batch command lines without the GUI toolkit and hands a
// run without arguments to hotlap-eval-gui beside it. These tests run the
// built programs, so they skip when the programs have not been built.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "tests/support/shell_command.h"
#include "tests/support/temp_dir.h"

namespace hl::app {
namespace {

namespace fs = std::filesystem;

const std::string kProgram = std::string(HOTLAP_BINARY_DIR) + "/app/hotlap-eval";

TEST(ProgramSplit, BatchProgramLoadsNoQtLibrary) {
  if (!fs::exists(kProgram)) GTEST_SKIP() << kProgram << " is not built";
  const testing::CommandOutcome ldd = testing::RunShellCommand("ldd " + kProgram);
  ASSERT_EQ(ldd.status, 0) << ldd.output;
  EXPECT_EQ(ldd.output.find("libQt"), std::string::npos) << ldd.output;
}

TEST(ProgramSplit, RunWithoutArgumentsStartsTheWindowProgramBesideIt) {
  if (!fs::exists(kProgram)) GTEST_SKIP() << kProgram << " is not built";
  struct Case {
    const char* name;
    bool window_program_present;
    int status;
    std::string output;
  };
  testing::TempDir folder;
  const std::string window_program = folder.Path() + "hotlap-eval-gui";
  const Case cases[] = {
      {"present", true, 7, "window program ran with 0 arguments\n"},
      {"missing", false, 1,
       "hotlap-eval: cannot start " + window_program + ": No such file or directory\n"},
  };
  const std::string copy = folder.Path() + "hotlap-eval";
  fs::copy_file(kProgram, copy);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(window_program);
    if (c.window_program_present) {
      folder.WriteFile("hotlap-eval-gui",
                       "#!/bin/sh\necho \"window program ran with $# arguments\"\nexit 7\n");
      chmod(window_program.c_str(), 0755);
    }
    // Started through a link from elsewhere, as a desktop launcher might.
    testing::TempDir elsewhere;
    const std::string link = elsewhere.Path() + "hotlap-eval";
    fs::create_symlink(copy, link);
    const testing::CommandOutcome outcome = testing::RunShellCommand(link);
    EXPECT_EQ(outcome.status, c.status);
    EXPECT_EQ(outcome.output, c.output);
  }
}

}  // namespace
}  // namespace hl::app
