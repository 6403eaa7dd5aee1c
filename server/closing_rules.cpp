#include "server/closing_rules.h"

#include <sys/stat.h>

#include <utility>

#include "evaluation/evaluation_file.h"
#include "server/request_checks.h"

namespace hl::server {

ClosingRules::ClosingRules(std::string evaluation_file, std::string base_dir,
                           std::optional<evaluation::ClosingTime> given_closes, std::ostream& log,
                           std::optional<evaluation::ClosingTime> given_freeze)
    : file_(std::move(evaluation_file)),
      base_dir_(std::move(base_dir)),
      given_closes_(given_closes),
      given_freeze_(given_freeze),
      log_(log) {
  closing_.closes = given_closes_;
  closing_.freeze = given_freeze_;
  Refresh();
}

ClosingRules::Stamp ClosingRules::StampNow() const {
  struct stat status {};
  if (file_.empty() || stat(file_.c_str(), &status) != 0) return {};
  const auto nanoseconds = [](const auto& time) {
    return static_cast<int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
  };
  return {true,
          status.st_dev,
          status.st_ino,
          status.st_size,
          nanoseconds(status.st_mtim),
          nanoseconds(status.st_ctim)};
}

bool ClosingRules::Refresh() {
  const Stamp now = StampNow();
  {
    std::lock_guard lock(mutex_);
    if (seen_ && *seen_ == now) return false;
    seen_ = now;
  }
  if (changed_) changed_();
  evaluation::Closing read;
  read.closes = given_closes_;
  read.freeze = given_freeze_;
  if (now.exists) {
    const auto saved = evaluation::ReadEvaluationFile(file_, base_dir_, true);
    if (!saved) {
      Report(saved.error().Describe() + "; the closing rules read before stay in force");
      return true;
    }
    if (saved->closing.closes && given_closes_) {
      Report(file_ +
             ": closes is given both in the evaluation file and by --closes; the closing "
             "rules read before stay in force");
      return true;
    }
    if (saved->closing.freeze && given_freeze_) {
      Report(file_ +
             ": freeze is given both in the evaluation file and by --freeze; the closing "
             "rules read before stay in force");
      return true;
    }
    if (saved->closing.closes) read.closes = saved->closing.closes;
    if (saved->closing.freeze) read.freeze = saved->closing.freeze;
    read.final = saved->closing.final;
  }
  if (auto problem = evaluation::FreezeProblem(read)) {
    Report(file_ + ": " + *problem + "; the closing rules read before stay in force");
    return true;
  }
  std::lock_guard lock(mutex_);
  closing_ = read;
  reported_.clear();
  return true;
}

void ClosingRules::Report(const std::string& problem) {
  {
    std::lock_guard lock(mutex_);
    if (problem == reported_) return;
    reported_ = problem;
  }
  log_ << ("hotlap-eval: " + LogSafe(problem) + "\n") << std::flush;
}

evaluation::Closing ClosingRules::Now() const {
  std::lock_guard lock(mutex_);
  return closing_;
}

std::string ClosingRules::FileForRuns() const {
  struct stat status {};
  return !file_.empty() && lstat(file_.c_str(), &status) == 0 ? file_ : "";
}

}  // namespace hl::server
