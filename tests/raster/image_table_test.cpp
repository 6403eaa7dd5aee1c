#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "tests/raster/jpeg_writer.h"
#include "tests/raster/pixel_sets.h"
#include "toolkit/raster/draw.h"
#include "toolkit/raster/image_files.h"
#include "toolkit/raster/image_table.h"

namespace hl::raster {
namespace {

class PictureFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "hotlap-raster-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern + "/";
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    std::ofstream(folder_ + name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return folder_ + name;
  }

  std::string folder_;
};

TEST_F(PictureFolder, LoadReadsBmpAndScaledJpegFiles) {
  const std::string bmp =
      Write("screen.bmp", std::vector<uint8_t>(PlaceholderBmp().begin(), PlaceholderBmp().end()));
  const std::string jpg =
      Write("screen.jpg", testing::EncodeTestJpeg(640, 480, JCS_RGB, [](int, int) { return 0u; }));
  ImageTable table;
  ASSERT_TRUE(table.LoadImage(0, bmp));
  EXPECT_EQ(table.ImageWidth(0), 32);
  ASSERT_TRUE(table.LoadImage(4, jpg, 160, 120));
  EXPECT_EQ(table.ImageWidth(4), 160);
}

TEST_F(PictureFolder, FailedReplacementsLeaveTheNumberEmpty) {
  const std::string text = Write("notes.txt", {'h', 'e', 'l', 'l', 'o'});
  const std::string fifo = folder_ + "pipe.bmp";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  struct Case {
    std::string name;
    std::function<bool(ImageTable&)> replace;
  };
  const std::vector<Case> cases = {
      {"load of a text file", [&](ImageTable& t) { return t.LoadImage(1, text); }},
      {"load of a missing file",
       [&](ImageTable& t) { return t.LoadImage(1, folder_ + "none.bmp"); }},
      {"load of a folder", [&](ImageTable& t) { return t.LoadImage(1, folder_); }},
      {"load of a FIFO", [&](ImageTable& t) { return t.LoadImage(1, fifo); }},
      {"create of size 0", [](ImageTable& t) { return t.CreateImage(1, 0, 10); }},
      {"take of a broken BMP",
       [](ImageTable& t) { return t.TakeImageFromMemory(1, PlaceholderBmp().first(100)); }},
  };
  for (const Case& c : cases) {
    ImageTable table;
    ASSERT_TRUE(table.CreateImage(1, 10, 10));
    EXPECT_FALSE(c.replace(table)) << c.name;
    EXPECT_EQ(table.ImageWidth(1), 0) << c.name;
    EXPECT_EQ(table.Get(1), nullptr) << c.name;
  }
}

TEST_F(PictureFolder, SavedPngIsTheEncodedImage) {
  std::optional<Image> image = Image::Create(40, 20);
  ASSERT_TRUE(image);
  Box(*image, 0, 0, 20, 10, Rgb(0, 0, 255));
  const std::string path = folder_ + "chart.png";
  ASSERT_TRUE(SavePng(*image, path));
  std::ifstream file(path, std::ios::binary);
  const std::vector<uint8_t> written((std::istreambuf_iterator<char>(file)),
                                     std::istreambuf_iterator<char>());
  EXPECT_EQ(written, *EncodePng(*image));
  EXPECT_FALSE(SavePng(*image, folder_ + "missing/chart.png"));
}

TEST(ImageTable, ResizeKeepsTheNumberAndFailsWithoutHarm) {
  ImageTable table;
  EXPECT_FALSE(table.ResizeImage(0, 10, 10));
  ASSERT_TRUE(table.TakeImageFromMemory(0, PlaceholderBmp()));
  const std::vector<uint8_t> before = table.Get(0)->Pixels();
  EXPECT_TRUE(table.ResizeImage(0, 32, 32));
  EXPECT_EQ(table.Get(0)->Pixels(), before);
  EXPECT_FALSE(table.ResizeImage(0, 0, 32));
  EXPECT_EQ(table.ImageWidth(0), 32);
  EXPECT_TRUE(table.ResizeImage(0, 480, 360));
  EXPECT_EQ(table.ImageWidth(0), 480);
  EXPECT_EQ(table.ImageHeight(0), 360);
  table.ReleaseAll();
  EXPECT_EQ(table.Get(0), nullptr);
}

}  // namespace
}  // namespace hl::raster
