#include "bench/bench_competition.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace hl::bench {
namespace {

namespace fs = std::filesystem;

class GeneratedCompetition {
 public:
  GeneratedCompetition() {
    folder_ = (fs::temp_directory_path() / ("hotlap-bench-" + std::to_string(getpid()))).string();
    if (auto problem = competition::WriteSampleCompetition(folder_, BenchmarkOptions())) {
      std::fprintf(stderr, "cannot generate the benchmark competition: %s\n", problem->c_str());
      std::exit(1);
    }
    folder_ += "/";
  }
  ~GeneratedCompetition() {
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }
  GeneratedCompetition(const GeneratedCompetition&) = delete;
  GeneratedCompetition& operator=(const GeneratedCompetition&) = delete;

  const std::string& Folder() const { return folder_; }

 private:
  std::string folder_;
};

std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

competition::SampleOptions BenchmarkOptions() {
  competition::SampleOptions options;
  options.entrants = 98;
  options.screen_width = 1024;
  options.screen_height = 768;
  options.runs = 2000;
  options.objects = 200;
  options.rects = 50;
  options.ghost = 3000;
  return options;
}

const std::string& BenchmarkCompetition() {
  static const std::string given = [] {
    const char* folder = std::getenv("HOTLAP_BENCH_COMPETITION");
    return folder && *folder ? WithSlash(fs::absolute(folder).lexically_normal().string())
                             : std::string();
  }();
  if (!given.empty()) return given;
  static const GeneratedCompetition generated;
  return generated.Folder();
}

}  // namespace hl::bench
