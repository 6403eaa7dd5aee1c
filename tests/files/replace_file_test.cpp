#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/files/scratch_folder.h"
#include "toolkit/files/file_slots.h"

namespace hl::files {
namespace {

std::span<const uint8_t> Bytes(const std::string& text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

size_t EntryCount(const std::string& folder) {
  const std::filesystem::directory_iterator listing(folder);
  return static_cast<size_t>(std::distance(begin(listing), end(listing)));
}

TEST(ReplaceFileAtomically, WritesNewAndReplacesOldFiles) {
  ScratchFolder folder;
  EXPECT_TRUE(ReplaceFileAtomically(folder.Path() + "new.txt", Bytes("first")));
  EXPECT_EQ(folder.Read("new.txt"), "first");
  EXPECT_TRUE(ReplaceFileAtomically(folder.Path() + "new.txt", Bytes("2")));
  EXPECT_EQ(folder.Read("new.txt"), "2");
  EXPECT_EQ(EntryCount(folder.Path()), 1u);  // no temporary left behind
}

TEST(ReplaceFileAtomically, ReplacesALinkInsteadOfItsTarget) {
  ScratchFolder folder;
  folder.Write("target.txt", "keep me");
  ASSERT_EQ(::symlink((folder.Path() + "target.txt").c_str(), (folder.Path() + "link.txt").c_str()),
            0);
  EXPECT_TRUE(ReplaceFileAtomically(folder.Path() + "link.txt", Bytes("report")));
  EXPECT_EQ(folder.Read("target.txt"), "keep me");
  EXPECT_FALSE(std::filesystem::is_symlink(folder.Path() + "link.txt"));
  EXPECT_EQ(folder.Read("link.txt"), "report");
}

TEST(ReplaceFileAtomically, FailsWithoutTouchingWhatIsThere) {
  ScratchFolder folder;
  ASSERT_EQ(::mkdir((folder.Path() + "taken.txt").c_str(), 0700), 0);
  EXPECT_FALSE(ReplaceFileAtomically(folder.Path() + "taken.txt", Bytes("x")));
  EXPECT_TRUE(std::filesystem::is_directory(folder.Path() + "taken.txt"));
  EXPECT_EQ(EntryCount(folder.Path()), 1u);

  EXPECT_FALSE(ReplaceFileAtomically(folder.Path() + "missing/report.txt", Bytes("x")));
  EXPECT_FALSE(ReplaceFileAtomically(folder.Path(), Bytes("x")));

  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  folder.Write("old.txt", "old");
  ASSERT_EQ(::chmod(folder.Path().c_str(), 0500), 0);
  EXPECT_FALSE(ReplaceFileAtomically(folder.Path() + "old.txt", Bytes("new")));
  EXPECT_EQ(folder.Read("old.txt"), "old");
}

}  // namespace
}  // namespace hl::files
