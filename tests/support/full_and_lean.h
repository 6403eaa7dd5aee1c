#pragma once
// A batch run twice, once doing everything the window does on one core and
// once doing only what its outputs need on every core, and the check that
// both left the same bytes behind: printed text, messages, exit status and
// every file written.
// Header-only: the suites that use it link the batch front end themselves.

#include <gtest/gtest.h>
#include <tbb/global_control.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "cli/batch_command.h"
#include "cli/command_line.h"
#include "run/output_needs.h"

namespace hl::testing {

struct BatchOutputs {
  int status = -1;
  std::string out;
  std::string err;
  std::map<std::string, std::string> files;  // path -> bytes, of every file the run created
};

inline std::set<std::string> FilesBelow(const std::vector<std::string>& folders) {
  std::set<std::string> paths;
  for (const std::string& folder : folders) {
    std::error_code ec;
    for (const auto& item : std::filesystem::recursive_directory_iterator(folder, ec)) {
      if (item.is_regular_file()) paths.insert(item.path().string());
    }
  }
  return paths;
}

// Runs `args` (after the program name) from `work`; the files the run
// created below `folders` are read and removed, so the next run starts
// from the same inputs.
inline BatchOutputs RunWithNeeds(const std::string& work, const std::vector<std::string>& args,
                                 const std::vector<std::string>& folders, bool lean) {
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(work);
  const std::set<std::string> inputs = FilesBelow(folders);
  BatchOutputs result;
  const cli::ParsedCommandLine parsed = cli::ParseCommandLine(args);
  const auto* options = std::get_if<run::RunPlan>(&parsed);
  if (options == nullptr) {
    ADD_FAILURE() << "not a batch command line";
  } else {
    std::ostringstream out, err;
    result.status =
        cli::RunBatch(*options, lean ? run::NeedsOf(*options) : state::OutputNeeds{}, out, err);
    result.out = out.str();
    result.err = err.str();
  }
  std::filesystem::current_path(previous);
  for (const std::string& path : FilesBelow(folders)) {
    if (inputs.contains(path)) continue;
    std::ifstream in(path, std::ios::binary);
    result.files[path] = std::string(std::istreambuf_iterator<char>(in), {});
    std::filesystem::remove(path);
  }
  return result;
}

inline void ExpectLeanRunMatchesFull(const std::string& work, const std::vector<std::string>& args,
                                     const std::vector<std::string>& folders) {
  const BatchOutputs full = [&] {
    // Nothing runs ahead of its step: the order of a sequential run.
    const tbb::global_control one_core(tbb::global_control::max_allowed_parallelism, 1);
    return RunWithNeeds(work, args, folders, /*lean=*/false);
  }();
  const BatchOutputs lean = RunWithNeeds(work, args, folders, /*lean=*/true);
  EXPECT_EQ(lean.status, full.status);
  EXPECT_EQ(lean.out, full.out);
  EXPECT_EQ(lean.err, full.err);
  EXPECT_FALSE(full.files.empty());
  ASSERT_EQ(lean.files.size(), full.files.size());
  for (const auto& [path, bytes] : full.files) {
    const auto found = lean.files.find(path);
    ASSERT_NE(found, lean.files.end()) << "not written by the lean run: " << path;
    EXPECT_TRUE(found->second == bytes) << "differs: " << path;
  }
}

}  // namespace hl::testing
