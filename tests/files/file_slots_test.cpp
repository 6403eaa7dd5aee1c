#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/files/scratch_folder.h"
#include "toolkit/files/file_slots.h"

namespace hl::files {
namespace {

std::vector<std::string> ReadAllLines(const std::string& path) {
  FileSlots files;
  std::vector<std::string> lines;
  if (!files.FileOpenRead(1, path)) return {"<not opened>"};
  while (!files.FileAtEnd(1)) lines.push_back(files.FileReadLine(1));
  files.FileClose(1);
  return lines;
}

TEST(FileReadLine, EndsLinesAtCrLfCrLfAndZero) {
  const std::string long_line(5000, 'x');
  const struct {
    std::string bytes;
    std::vector<std::string> lines;
  } cases[] = {
      {"A\r\nB", {"A", "B"}},
      {"A\rB", {"A", "B"}},
      {"A\n\rB", {"A", "", "B"}},
      {std::string("AB\0CD", 5), {"AB", "CD"}},
      {"A\r", {"A"}},
      {"", {}},
      {long_line + "\r\nB", {long_line, "B"}},
      // The CR is the last byte of the first 4096-byte read, its LF the first of the next.
      {std::string(4095, 'y') + "\r\nB", {std::string(4095, 'y'), "B"}},
  };
  ScratchFolder folder;
  for (const auto& c : cases) {
    EXPECT_EQ(ReadAllLines(folder.Write("lines.txt", c.bytes)), c.lines) << c.bytes.size();
  }
}

TEST(FileSlots, ReadsBlocksAndReportsLengthAndEnd) {
  ScratchFolder folder;
  const std::string path = folder.Write("data.bin", "line\nrest");
  FileSlots files;
  ASSERT_TRUE(files.FileOpenRead(0, path));
  EXPECT_EQ(files.FileLength(0), 9);
  EXPECT_EQ(files.FileReadLine(0), "line");
  std::vector<uint8_t> block(20, 0xAA);
  EXPECT_EQ(files.FileReadBlock(0, block), 4);
  EXPECT_EQ(std::string(block.begin(), block.begin() + 4), "rest");
  EXPECT_EQ(block[4], 0xAA);  // the rest of the destination is left alone
  EXPECT_TRUE(files.FileAtEnd(0));
  EXPECT_EQ(files.FileReadBlock(0, block), 0);
  EXPECT_TRUE(files.FileClose(0));
  EXPECT_FALSE(files.FileClose(0));
}

TEST(FileSlots, UnopenedAndBadSlotsAnswerNothing) {
  FileSlots files;
  std::vector<uint8_t> block(4);
  for (const int slot : {-1, 0, 8}) {
    EXPECT_FALSE(files.FileOpenRead(slot, "/nonexistent/file")) << slot;
    EXPECT_EQ(files.FileReadBlock(slot, block), 0);
    EXPECT_TRUE(files.FileAtEnd(slot));
    EXPECT_FALSE(files.FileClose(slot));
  }
}

TEST(FileSlots, RefusesAnythingButRegularFilesAtOnce) {
  ScratchFolder folder;
  const std::string fifo = folder.Path() + "pipe.trk";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  FileSlots files;
  const auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(files.FileOpenRead(0, fifo));
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
  EXPECT_FALSE(files.FileOpenRead(0, folder.Path()));
  EXPECT_FALSE(files.FileOpenRead(0, folder.Path() + "missing"));
  EXPECT_FALSE(files.FileOpenRead(0, "/dev/null"));
}

}  // namespace
}  // namespace hl::files
