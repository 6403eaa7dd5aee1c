#pragma once
// Images held under small numbers. Creating, loading or taking an image under
// a number releases what it held; a failure leaves the number empty.

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>

#include "toolkit/raster/image.h"

namespace hl::raster {

class ImageTable {
 public:
  bool CreateImage(int number, int width, int height);
  bool LoadImage(int number, const std::string& path, int fit_width = 0, int fit_height = 0);
  bool TakeImageFromMemory(int number, std::span<const uint8_t> bmp);
  // An image made elsewhere; nullopt leaves the number empty.
  bool PutImage(int number, std::optional<Image> image);
  bool ResizeImage(int number, int width, int height);  // smooth
  void ReleaseAll();

  int ImageWidth(int number) const;   // 0 when absent
  int ImageHeight(int number) const;  // 0 when absent
  Image* Get(int number);             // nullptr when absent
  const Image* Get(int number) const;

 private:
  std::map<int, Image> images_;
};

}  // namespace hl::raster
