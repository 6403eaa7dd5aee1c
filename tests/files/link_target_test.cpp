#include "toolkit/files/link_target.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "tests/files/scratch_folder.h"

namespace hl::files {
namespace {

namespace fs = std::filesystem;

std::span<const uint8_t> Bytes(const std::string& text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

TEST(ReplaceLinkTargetAtomically, UpdatesWhatTheLinkPointsTo) {
  ScratchFolder folder;
  fs::create_directory(folder.Path() + "kept");
  folder.Write("kept/results.csv", "old");
  fs::create_symlink("kept/results.csv", folder.Path() + "first");
  fs::create_symlink(folder.Path() + "first", folder.Path() + "second");
  fs::create_symlink("kept/new.csv", folder.Path() + "dangling");
  fs::create_symlink("loop-b", folder.Path() + "loop-a");
  fs::create_symlink("loop-a", folder.Path() + "loop-b");
  struct Case {
    std::string path;
    std::string failure;  // empty when the write must succeed
    std::string target;
  };
  const std::vector<Case> cases = {
      {"second", "", "kept/results.csv"},
      {"dangling", "", "kept/new.csv"},
      {"loop-a", "too many levels of symbolic links", ""},
      {"kept", "is not a regular file", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const auto written = ReplaceLinkTargetAtomically(folder.Path() + c.path, Bytes("new"));
    if (!c.failure.empty()) {
      ASSERT_FALSE(written);
      EXPECT_EQ(written.error().what, c.failure);
      continue;
    }
    ASSERT_TRUE(written) << written.error().Describe();
    EXPECT_TRUE(fs::is_symlink(folder.Path() + c.path));
    EXPECT_EQ(folder.Read(c.target), "new");
  }
  EXPECT_FALSE(ReplaceLinkTargetAtomically("/dev/null", Bytes("x")));
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST(MakeFoldersWithoutLinks, ReplacesLinksInsteadOfFollowingThem) {
  ScratchFolder folder;
  fs::create_directories(folder.Path() + "outside");
  fs::create_directories(folder.Path() + "export");
  fs::create_directory_symlink(folder.Path() + "outside", folder.Path() + "export/entries");
  ASSERT_TRUE(MakeFoldersWithoutLinks(folder.Path() + "export", "entries/01-anna"));
  EXPECT_FALSE(fs::is_symlink(folder.Path() + "export/entries"));
  EXPECT_TRUE(fs::is_directory(folder.Path() + "export/entries/01-anna"));
  EXPECT_TRUE(fs::is_empty(folder.Path() + "outside"));

  folder.Write("export/file", "x");
  EXPECT_FALSE(MakeFoldersWithoutLinks(folder.Path() + "export", "file/sub"));
}

}  // namespace
}  // namespace hl::files
