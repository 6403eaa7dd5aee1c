#pragma once
// PNG files encoded on another core and written by a thread of their own
// while the run goes on: a write waits for the disk, which would otherwise
// leave a core idle. Each file is a copy of the picture as it was when
// handed over, so the run may draw the next entry at once. Only a few
// pictures wait at a time: beyond that the caller encodes the picture
// itself, which bounds the memory held and keeps both cores busy.

#include <tbb/task_group.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "toolkit/files/file_slots.h"
#include "toolkit/raster/image.h"
#include "toolkit/raster/image_files.h"

namespace hl::run {

class PictureWriter {
 public:
  explicit PictureWriter(files::Durability durability = files::Durability::kFlushed);
  PictureWriter(const PictureWriter&) = delete;
  PictureWriter& operator=(const PictureWriter&) = delete;
  ~PictureWriter();

  // `path` is replaced atomically; its folder must exist. From the run's own
  // thread only.
  void Write(const raster::Image& picture, raster::PngCompression compression, std::string path);
  // A picture encoded already (nullopt: its encoding failed); from any thread.
  void WriteEncoded(std::optional<std::vector<uint8_t>> png, std::string path);

  // Waits for every picture handed over; nothing may be handed over after.
  // The paths that could not be written, sorted.
  std::vector<std::string> Finish();

 private:
  struct Job {
    std::optional<raster::Image> picture;  // released once encoded
    raster::PngCompression compression = raster::PngCompression::kSmallest;
    std::string path;
    std::optional<std::vector<uint8_t>> png;  // released once written
    bool written = false;
  };
  Job& AddJob();
  void Encode(Job& job);
  void QueueForWriting(Job& job);
  void WriteFiles();

  files::Durability durability_;
  std::mutex mutex_;      // guards jobs_ and the queue below
  std::deque<Job> jobs_;  // a deque: a job's address stays while others are added
  std::atomic<int> encoding_{0};
  tbb::task_group encoders_;

  std::condition_variable changed_;
  std::deque<Job*> to_write_;  // encoded, in the order they were finished
  bool no_more_ = false;
  std::thread file_writer_;
};

}  // namespace hl::run
