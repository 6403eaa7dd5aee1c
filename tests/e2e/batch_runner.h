#pragma once
// Runs the command line in-process against a generated sample competition,
// from a working folder of the test's choosing (where the Google template is
// looked for).

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tools/competition/sample_competition.h"

namespace hl::testing {

struct BatchResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Makes `folder` the process's working folder until destroyed.
class WorkingFolder {
 public:
  explicit WorkingFolder(const std::string& folder);
  ~WorkingFolder();
  WorkingFolder(const WorkingFolder&) = delete;
  WorkingFolder& operator=(const WorkingFolder&) = delete;

 private:
  std::filesystem::path previous_;
};

// A sample competition in a folder of its own, plus a working folder that
// holds the example Google template.
struct SampleSetup {
  explicit SampleSetup(const competition::SampleOptions& options = {});

  TempDir dir;
  std::string base;  // the competition, ends with "/"
  std::string work;  // the working folder, ends with "/"
  std::vector<competition::SampleEntry> entries;
};

// hotlap-eval ARGS..., run with `work` as the working folder.
BatchResult RunBatch(const std::string& work, const std::vector<std::string>& args);

std::string ReadText(const std::string& path);
std::string SourcePath(const std::string& relative);  // inside the source tree
std::string WithCrLf(const std::string& text);        // LF -> CR LF

}  // namespace hl::testing
