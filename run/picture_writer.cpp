#include "run/picture_writer.h"

#include <algorithm>

#include "toolkit/files/file_slots.h"

namespace hl::run {
namespace {

// Two pictures per core in waiting keep the other core fed; a results page
// of thousands of entries still holds no more than these at once.
constexpr int kMostEncoding = 4;
// Encoded files waiting for the disk; past these an encoder waits too.
constexpr size_t kMostToWrite = 8;

}  // namespace

PictureWriter::PictureWriter(files::Durability durability)
    : durability_(durability), file_writer_([this] { WriteFiles(); }) {}

PictureWriter::~PictureWriter() { Finish(); }

PictureWriter::Job& PictureWriter::AddJob() {
  const std::lock_guard lock(mutex_);
  return jobs_.emplace_back();
}

void PictureWriter::Encode(Job& job) {
  job.png = raster::EncodePng(*job.picture, job.compression);
  job.picture.reset();
  QueueForWriting(job);
}

void PictureWriter::QueueForWriting(Job& job) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return to_write_.size() < kMostToWrite; });
  to_write_.push_back(&job);
  changed_.notify_all();
}

void PictureWriter::WriteFiles() {
  for (;;) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !to_write_.empty() || no_more_; });
    if (to_write_.empty()) return;
    Job& job = *to_write_.front();
    to_write_.pop_front();
    changed_.notify_all();
    lock.unlock();
    job.written = job.png && files::ReplaceFileAtomically(job.path, *job.png, durability_);
    job.png.reset();
  }
}

void PictureWriter::Write(const raster::Image& picture, raster::PngCompression compression,
                          std::string path) {
  Job& job = AddJob();
  job.picture = picture;
  job.compression = compression;
  job.path = std::move(path);
  if (encoding_.load() >= kMostEncoding) {
    Encode(job);
    return;
  }
  ++encoding_;
  encoders_.run([this, &job] {
    Encode(job);
    --encoding_;
  });
}

void PictureWriter::WriteEncoded(std::optional<std::vector<uint8_t>> png, std::string path) {
  Job& job = AddJob();
  job.png = std::move(png);
  job.path = std::move(path);
  QueueForWriting(job);
}

std::vector<std::string> PictureWriter::Finish() {
  encoders_.wait();
  {
    const std::lock_guard lock(mutex_);
    no_more_ = true;
  }
  changed_.notify_all();
  if (file_writer_.joinable()) file_writer_.join();
  std::vector<std::string> failed;
  for (const Job& job : jobs_) {
    if (!job.written) failed.push_back(job.path);
  }
  std::sort(failed.begin(), failed.end());
  return failed;
}

}  // namespace hl::run
