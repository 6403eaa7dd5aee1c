// Every saved fuzz input, the seeds and the inputs that once broke a decoder,
// runs through its target again in the normal build; a target aborts when
// the tool breaks one of its guarantees.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/targets/fuzz_targets.h"

namespace {

namespace fs = std::filesystem;
using hl::fuzzing::FuzzTarget;

std::vector<fs::path> FilesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (const auto& item : fs::directory_iterator(folder, ec)) {
    if (item.is_regular_file()) files.push_back(item.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class SavedFuzzInputs : public ::testing::TestWithParam<FuzzTarget> {
 protected:
  static fs::path Folder(const char* kind, const FuzzTarget& target) {
    return fs::path(HOTLAP_SOURCE_DIR) / "fuzz" / kind / target.name;
  }
};

TEST_P(SavedFuzzInputs, RunThroughTheirTarget) {
  const FuzzTarget& target = GetParam();
  std::vector<fs::path> inputs = FilesIn(Folder("corpus", target));
  ASSERT_FALSE(inputs.empty()) << "no seed corpus for " << target.name;
  const std::vector<fs::path> regressions = FilesIn(Folder("regressions", target));
  inputs.insert(inputs.end(), regressions.begin(), regressions.end());

  for (const fs::path& input : inputs) {
    SCOPED_TRACE(input.string());
    const std::vector<uint8_t> bytes = ReadBytes(input);
    target.run(bytes.data(), bytes.size());
  }
}

INSTANTIATE_TEST_SUITE_P(EveryTarget, SavedFuzzInputs,
                         ::testing::ValuesIn(hl::fuzzing::AllFuzzTargets().begin(),
                                             hl::fuzzing::AllFuzzTargets().end()),
                         [](const ::testing::TestParamInfo<FuzzTarget>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
