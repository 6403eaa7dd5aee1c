#include "tests/e2e/batch_runner.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "cli/program.h"

namespace hl::testing {

WorkingFolder::WorkingFolder(const std::string& folder)
    : previous_(std::filesystem::current_path()) {
  std::filesystem::current_path(folder);
}

WorkingFolder::~WorkingFolder() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
}

SampleSetup::SampleSetup(const competition::SampleOptions& options)
    : base(dir.MakeDir("competition")),
      work(dir.MakeDir("work")),
      entries(competition::PlanSampleEntries(options.entrants)) {
  if (auto problem = competition::WriteSampleCompetition(base, options)) {
    ADD_FAILURE() << "sample not written: " << *problem;
  }
  std::filesystem::copy_file(SourcePath("examples/google_charts.txt"), work + "google_charts.txt");
}

BatchResult RunBatch(const std::string& work, const std::vector<std::string>& args) {
  std::vector<std::string> storage = {"hotlap-eval"};
  storage.insert(storage.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : storage) argv.push_back(arg.data());
  argv.push_back(nullptr);

  WorkingFolder in(work);
  std::ostringstream out, err;
  BatchResult result;
  result.status = cli::RunCommandLine(static_cast<int>(storage.size()), argv.data(), out, err);
  result.out = out.str();
  result.err = err.str();
  return result;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string SourcePath(const std::string& relative) {
  return std::string(HOTLAP_SOURCE_DIR) + "/" + relative;
}

std::string WithCrLf(const std::string& text) {
  std::string result;
  for (char c : text) {
    if (c == '\n') result += '\r';
    result += c;
  }
  return result;
}

}  // namespace hl::testing
