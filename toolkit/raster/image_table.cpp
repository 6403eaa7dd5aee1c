#include "toolkit/raster/image_table.h"

#include <utility>

#include "toolkit/raster/image_files.h"
#include "toolkit/raster/resize.h"

namespace hl::raster {

namespace {

bool Store(std::map<int, Image>& images, int number, std::optional<Image> image) {
  if (!image) return false;
  images.insert_or_assign(number, std::move(*image));
  return true;
}

}  // namespace

// Each of these releases the old image first, so a failure leaves the number
// empty and the old image's memory is free for the new one.
bool ImageTable::CreateImage(int number, int width, int height) {
  images_.erase(number);
  return Store(images_, number, Image::Create(width, height));
}

bool ImageTable::LoadImage(int number, const std::string& path, int fit_width, int fit_height) {
  images_.erase(number);
  return Store(images_, number, LoadPictureFile(path, fit_width, fit_height));
}

bool ImageTable::TakeImageFromMemory(int number, std::span<const uint8_t> bmp) {
  images_.erase(number);
  return Store(images_, number, DecodeBmp(bmp));
}

bool ImageTable::PutImage(int number, std::optional<Image> image) {
  images_.erase(number);
  return Store(images_, number, std::move(image));
}

// A failed resize keeps the image as it was.
bool ImageTable::ResizeImage(int number, int width, int height) {
  Image* image = Get(number);
  if (image == nullptr) return false;
  std::optional<Image> resized = ResizeSmooth(*image, width, height);
  if (!resized) return false;
  *image = std::move(*resized);
  return true;
}

void ImageTable::ReleaseAll() { images_.clear(); }

int ImageTable::ImageWidth(int number) const {
  const Image* image = Get(number);
  return image != nullptr ? image->Width() : 0;
}

int ImageTable::ImageHeight(int number) const {
  const Image* image = Get(number);
  return image != nullptr ? image->Height() : 0;
}

Image* ImageTable::Get(int number) {
  const auto found = images_.find(number);
  return found != images_.end() ? &found->second : nullptr;
}

const Image* ImageTable::Get(int number) const {
  const auto found = images_.find(number);
  return found != images_.end() ? &found->second : nullptr;
}

}  // namespace hl::raster
