#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "tests/files/scratch_folder.h"
#include "toolkit/files/dir_slots.h"
#include "toolkit/files/paths.h"

namespace hl::files {
namespace {

using Listed = std::vector<std::pair<std::string, EntryKind>>;

Listed ListAll(DirSlots& listings, int slot) {
  Listed entries;
  while (listings.DirNext(slot))
    entries.emplace_back(listings.DirEntryName(slot), listings.DirEntryKind(slot));
  return entries;
}

TEST(DirSlots, ListsEveryEntrySortedByBytesWithItsKind) {
  ScratchFolder folder;
  folder.Write("B", "");
  folder.Write("a", "");
  folder.Write(".hidden", "");
  ASSERT_EQ(::mkdir((folder.Path() + "_x").c_str(), 0700), 0);
  ASSERT_EQ(::symlink((folder.Path() + "_x").c_str(), (folder.Path() + "linked").c_str()), 0);
  ASSERT_EQ(::symlink("nowhere", (folder.Path() + "dangling").c_str()), 0);
  const Listed expected = {
      {".", EntryKind::Directory},   {"..", EntryKind::Directory},     {".hidden", EntryKind::File},
      {"B", EntryKind::File},        {"_x", EntryKind::Directory},     {"a", EntryKind::File},
      {"dangling", EntryKind::File}, {"linked", EntryKind::Directory},
  };
  DirSlots listings;
  for (const std::string& text :
       {folder.Path(), folder.Path().substr(0, folder.Path().size() - 1)}) {
    ASSERT_TRUE(listings.DirOpen(7, text));
    EXPECT_EQ(listings.DirEntryKind(7), EntryKind::None);  // nothing taken yet
    EXPECT_EQ(ListAll(listings, 7), expected) << text;
    EXPECT_FALSE(listings.DirNext(7));
    EXPECT_EQ(listings.DirEntryName(7), "");
  }
  listings.DirClose(7);
  EXPECT_FALSE(listings.DirNext(7));
}

TEST(DirSlots, EmptyMissingAndBadSlots) {
  ScratchFolder folder;
  DirSlots listings;
  ASSERT_EQ(::mkdir((folder.Path() + "empty").c_str(), 0700), 0);
  ASSERT_TRUE(listings.DirOpen(7, folder.Path() + "empty"));
  EXPECT_EQ(ListAll(listings, 7).size(), 2u);  // "." and ".."
  EXPECT_FALSE(listings.DirOpen(7, folder.Path() + "missing/"));
  EXPECT_FALSE(listings.DirNext(7));  // a failed open leaves nothing behind
  EXPECT_FALSE(listings.DirOpen(7, folder.Write("file", "x")));
  EXPECT_FALSE(listings.DirOpen(8, folder.Path()));
}

TEST(Paths, TakeNamesAndExtensionsApart) {
  const struct {
    const char* path;
    const char* file_part;
    const char* extension;
  } cases[] = {
      {"/base/entry/Track.TRK", "Track.TRK", "TRK"},
      {"C:\\base/entry\\lap.v1.trk", "lap.v1.trk", "trk"},
      {"\"C:\\base\\entry\\lap.trk\"", "lap.trk", "trk"},
      {"/base/entry.d/noext", "noext", ""},
      {".hidden", ".hidden", "hidden"},
      {"name.", "name.", ""},
      {"folder/", "", ""},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PathFilePart(c.path), c.file_part) << c.path;
    EXPECT_EQ(PathExtension(c.path), c.extension) << c.path;
  }
}

TEST(Paths, FolderTextsEndInOneSlash) {
  EXPECT_EQ(WithTrailingSlash(""), "");
  EXPECT_EQ(WithTrailingSlash("/a/b"), "/a/b/");
  EXPECT_EQ(WithTrailingSlash("/a/b//"), "/a/b/");
  EXPECT_EQ(WithTrailingSlash("/"), "/");

  ScratchFolder folder;
  char* previous = ::getcwd(nullptr, 0);
  ASSERT_EQ(::chdir(folder.Path().c_str()), 0);
  const std::string inside = QueryCurrentDir();
  ASSERT_EQ(::chdir("/"), 0);
  const std::string root = QueryCurrentDir();
  ASSERT_EQ(::chdir(previous), 0);
  ::free(previous);
  EXPECT_EQ(inside, std::filesystem::canonical(folder.Path()).string() + "/");
  EXPECT_EQ(root, "/");
}

}  // namespace
}  // namespace hl::files
