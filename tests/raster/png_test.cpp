#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "tests/raster/pixel_sets.h"
#include "toolkit/raster/draw.h"
#include "toolkit/raster/image_files.h"

namespace hl::raster {
namespace {

struct Chunk {
  std::string type;
  std::vector<uint8_t> data;
};

uint32_t BigEndian(const std::vector<uint8_t>& bytes, size_t at) {
  return uint32_t{bytes[at]} << 24 | uint32_t{bytes[at + 1]} << 16 | uint32_t{bytes[at + 2]} << 8 |
         bytes[at + 3];
}

std::vector<Chunk> ChunksOf(const std::vector<uint8_t>& png) {
  std::vector<Chunk> chunks;
  size_t at = 8;
  while (at + 12 <= png.size()) {
    const uint32_t length = BigEndian(png, at);
    if (at + 12 + length > png.size()) break;
    const auto begin = png.begin() + static_cast<std::ptrdiff_t>(at + 8);
    chunks.push_back({std::string(png.begin() + static_cast<std::ptrdiff_t>(at + 4), begin),
                      std::vector<uint8_t>(begin, begin + length)});
    at += 12 + length;
  }
  EXPECT_EQ(at, png.size()) << "bytes after the last chunk";
  return chunks;
}

Image ChartLikeImage() {
  Image image = testing::BlankImage(37, 23, Rgb(255, 255, 255));
  Box(image, 2, 2, 30, 5, Rgb(0, 0, 255));
  Box(image, 2, 9, 20, 5, Rgb(0, 0, 255));
  Line(image, 0, 22, 36, 0, Rgb(12, 34, 56));
  return image;
}

TEST(EncodePng, HoldsOnlyHeaderDataAndEnd) {
  const std::optional<std::vector<uint8_t>> png = EncodePng(ChartLikeImage());
  ASSERT_TRUE(png.has_value());
  ASSERT_GT(png->size(), 8u);
  EXPECT_EQ(std::memcmp(png->data(), "\x89PNG\r\n\x1a\n", 8), 0);
  const std::vector<Chunk> chunks = ChunksOf(*png);
  ASSERT_GE(chunks.size(), 3u);
  EXPECT_EQ(chunks.front().type, "IHDR");
  EXPECT_EQ(chunks.back().type, "IEND");
  for (size_t i = 1; i + 1 < chunks.size(); ++i) EXPECT_EQ(chunks[i].type, "IDAT");
  const std::vector<uint8_t>& ihdr = chunks.front().data;
  ASSERT_EQ(ihdr.size(), 13u);
  EXPECT_EQ(BigEndian(ihdr, 0), 37u);
  EXPECT_EQ(BigEndian(ihdr, 4), 23u);
  EXPECT_EQ(std::vector<uint8_t>(ihdr.begin() + 8, ihdr.end()),
            (std::vector<uint8_t>{8, 2, 0, 0, 0}));
}

TEST(EncodePng, RowsAreUnfilteredAndCompressedAtLevelNine) {
  const Image image = ChartLikeImage();
  const std::optional<std::vector<uint8_t>> png = EncodePng(image);
  ASSERT_TRUE(png.has_value());
  std::vector<uint8_t> stream;
  for (const Chunk& chunk : ChunksOf(*png)) {
    if (chunk.type == "IDAT") stream.insert(stream.end(), chunk.data.begin(), chunk.data.end());
  }
  ASSERT_GE(stream.size(), 2u);
  EXPECT_EQ(stream[1] >> 6, 3) << "zlib header does not announce maximum compression";
  const size_t row_size = 1 + static_cast<size_t>(image.Width()) * 3;  // filter byte + pixels
  std::vector<uint8_t> raw(row_size * static_cast<size_t>(image.Height()) + 1);
  uLongf raw_size = raw.size();
  ASSERT_EQ(uncompress(raw.data(), &raw_size, stream.data(), stream.size()), Z_OK);
  ASSERT_EQ(raw_size, raw.size() - 1);
  for (int y = 0; y < image.Height(); ++y) {
    const size_t at = static_cast<size_t>(y) * row_size;
    EXPECT_EQ(raw[at], 0) << "filter of row " << y;
  }
}

struct MemoryReader {
  const std::vector<uint8_t>* bytes;
  size_t position = 0;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
  auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (reader->position + length > reader->bytes->size()) png_error(png, "read past end");
  std::memcpy(out, reader->bytes->data() + reader->position, length);
  reader->position += length;
}

TEST(EncodePng, LibpngReadsBackTheExactColours) {
  const Image image = ChartLikeImage();
  const std::vector<uint8_t> png = *EncodePng(image);
  png_structp reader = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(reader);
  MemoryReader source{&png};
  std::vector<uint8_t> pixels;
  if (setjmp(png_jmpbuf(reader)) != 0) {
    png_destroy_read_struct(&reader, &info, nullptr);
    FAIL() << "libpng rejected the file";
  }
  png_set_read_fn(reader, &source, ReadFromMemory);
  png_read_info(reader, info);
  EXPECT_EQ(png_get_image_width(reader, info), 37u);
  EXPECT_EQ(png_get_image_height(reader, info), 23u);
  EXPECT_EQ(png_get_color_type(reader, info), PNG_COLOR_TYPE_RGB);
  EXPECT_EQ(png_get_bit_depth(reader, info), 8);
  EXPECT_EQ(png_get_interlace_type(reader, info), PNG_INTERLACE_NONE);
  EXPECT_FALSE(
      png_get_valid(reader, info, PNG_INFO_gAMA | PNG_INFO_sRGB | PNG_INFO_pHYs | PNG_INFO_iCCP));
  pixels.resize(37 * 23 * 3);
  for (size_t y = 0; y < 23; ++y) png_read_row(reader, pixels.data() + y * 37 * 3, nullptr);
  png_read_end(reader, nullptr);
  png_destroy_read_struct(&reader, &info, nullptr);
  EXPECT_EQ(pixels, image.Pixels());
  EXPECT_EQ(image.At(5, 3), Rgb(0, 0, 255));
}

// n colours, each pixel its own shade: every bit depth of a palette and, past
// 256 colours, truecolour.
Image PictureOfColours(int colours) {
  Image image = testing::BlankImage(61, 17, Rgb(0, 0, 0));
  for (int i = 0; i < 61 * 17; ++i)
    image.Set(i % 61, i / 61, Rgb(i % colours, (i % colours) / 7, 200));
  return image;
}

struct CompressedPicture {
  PngCompression compression;
  int colours;
  int color_type;  // as written
  int bit_depth;
};

class EncodePngCompressions : public ::testing::TestWithParam<CompressedPicture> {};

TEST_P(EncodePngCompressions, ReadBackToTheSamePixels) {
  const CompressedPicture& c = GetParam();
  const Image image = PictureOfColours(c.colours);
  const std::vector<uint8_t> png = *EncodePng(image, c.compression);
  png_image read{};
  read.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_memory(&read, png.data(), png.size())) << read.message;
  const std::vector<Chunk> chunks = ChunksOf(png);
  ASSERT_FALSE(chunks.empty());
  EXPECT_EQ(chunks[0].data[9], c.color_type);
  EXPECT_EQ(chunks[0].data[8], c.bit_depth);
  read.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(read));
  ASSERT_TRUE(png_image_finish_read(&read, nullptr, pixels.data(), 0, nullptr)) << read.message;
  EXPECT_EQ(pixels, image.Pixels());
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, EncodePngCompressions,
    ::testing::Values(CompressedPicture{PngCompression::kSmallest, 3, PNG_COLOR_TYPE_RGB, 8},
                      CompressedPicture{PngCompression::kStored, 3, PNG_COLOR_TYPE_RGB, 8},
                      CompressedPicture{PngCompression::kQuick, 1, PNG_COLOR_TYPE_PALETTE, 1},
                      CompressedPicture{PngCompression::kQuick, 2, PNG_COLOR_TYPE_PALETTE, 1},
                      CompressedPicture{PngCompression::kQuick, 3, PNG_COLOR_TYPE_PALETTE, 2},
                      CompressedPicture{PngCompression::kQuick, 16, PNG_COLOR_TYPE_PALETTE, 4},
                      CompressedPicture{PngCompression::kQuick, 17, PNG_COLOR_TYPE_PALETTE, 8},
                      CompressedPicture{PngCompression::kQuick, 256, PNG_COLOR_TYPE_PALETTE, 8},
                      CompressedPicture{PngCompression::kQuick, 257, PNG_COLOR_TYPE_RGB, 8}));

// Runs of 1 to 40 pixels in `colours` colours, some of which differ in one
// channel only, so a run may end at any byte of a pixel and any row.
Image RunsOfColours(int colours, int width) {
  Image image = testing::BlankImage(width, 9);
  std::mt19937 random(static_cast<unsigned>(colours * 1000 + width));
  std::uniform_int_distribution<int> length(1, 40);
  std::uniform_int_distribution<int> colour(0, colours - 1);
  const auto shade = [](int i) { return Rgb(i / 3, i % 3 == 1 ? 9 : 0, i % 3 == 2 ? 9 : 0); };
  int run = 0;
  Color c = shade(0);
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < width; ++x, --run) {
      if (run == 0) {
        run = length(random);
        c = shade(colour(random));
      }
      image.Set(x, y, c);
    }
  }
  return image;
}

void AppendPng(png_structp png, png_bytep data, png_size_t length) {
  auto* bytes = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  bytes->insert(bytes->end(), data, data + length);
}

struct IndexedImage {
  std::vector<png_color> palette;  // in order of first appearance
  std::vector<uint8_t> indices;    // one byte a pixel
  int depth = 8;
};

IndexedImage IndexedByFirstAppearance(const Image& image) {
  IndexedImage indexed;
  std::map<Color, uint8_t> index_of;
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) {
      const Color c = image.At(x, y);
      if (index_of.emplace(c, indexed.palette.size()).second)
        indexed.palette.push_back({static_cast<png_byte>(RedOf(c)),
                                   static_cast<png_byte>(GreenOf(c)),
                                   static_cast<png_byte>(BlueOf(c))});
      indexed.indices.push_back(index_of[c]);
    }
  }
  const size_t n = indexed.palette.size();
  indexed.depth = n <= 2 ? 1 : n <= 4 ? 2 : n <= 16 ? 4 : 8;
  return indexed;
}

// The quick PNG as libpng makes it when it packs one byte a pixel itself.
void WriteWithLibpngPacking(int width, int height, const IndexedImage& indexed,
                            std::vector<uint8_t>& bytes) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png)) != 0) {
    png_destroy_write_struct(&png, &info);
    ADD_FAILURE() << "libpng failed";
    return;
  }
  png_set_write_fn(png, &bytes, AppendPng, nullptr);
  png_set_compression_level(png, 3);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
               indexed.depth, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE,
               PNG_FILTER_TYPE_BASE);
  png_set_PLTE(png, info, indexed.palette.data(), static_cast<int>(indexed.palette.size()));
  png_write_info(png, info);
  png_set_packing(png);
  for (int y = 0; y < height; ++y)
    png_write_row(png,
                  indexed.indices.data() + static_cast<size_t>(y) * static_cast<size_t>(width));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
}

TEST(EncodePng, QuickPalettePicturesAreTheBytesLibpngPacksItself) {
  for (const int colours : {1, 2, 3, 4, 5, 16, 17, 200}) {
    for (const int width : {1, 3, 7, 9, 61, 64, 517}) {
      const Image image = RunsOfColours(colours, width);
      std::vector<uint8_t> expected;
      WriteWithLibpngPacking(width, image.Height(), IndexedByFirstAppearance(image), expected);
      EXPECT_EQ(EncodePng(image, PngCompression::kQuick), expected)
          << colours << " colours, " << width << " wide";
      const auto rows = [&image](int y) { return image.Row(y); };
      EXPECT_EQ(EncodePngRows(width, image.Height(), rows, PngCompression::kQuick), expected)
          << colours << " colours, " << width << " wide, row by row";
    }
  }
}

}  // namespace
}  // namespace hl::raster
