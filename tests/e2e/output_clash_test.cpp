// Outputs that would replace what the user owns are refused, and writes that
// fail are never reported as success.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <sstream>

#include "cli/program.h"
#include "tests/e2e/batch_runner.h"

namespace hl::testing {
namespace {

namespace fs = std::filesystem;

competition::SampleOptions TwoEntrants() {
  competition::SampleOptions options;
  options.entrants = 2;
  options.ghost = 50;
  return options;
}

std::string FirstFileIn(const std::string& folder) {
  for (const fs::directory_entry& item : fs::directory_iterator(folder)) {
    if (item.is_regular_file()) return item.path().string();
  }
  return {};
}

TEST(OutputClash, OutputsThatAreInputsOrEachOtherStopTheRunBeforeAnythingIsWritten) {
  const SampleSetup sample(TwoEntrants());
  const std::string& base = sample.base;
  const std::string& work = sample.work;
  sample.dir.WriteFile("work/cup.toml", "# the organiser's notes\n");
  fs::create_symlink(work + "cup.toml", work + "cup-link.toml");
  fs::create_directory_symlink(base, work + "base-link");
  const std::string entry_file = FirstFileIn(base + sample.entries.front().folder);
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"--json", "out", "--csv", "./out"}, "--csv '" + work + "out' would overwrite --json"},
      {{"--csv", base + "reference.car"}, "would overwrite the car file"},
      {{"--json", entry_file}, "would overwrite the entry file"},
      {{"--evaluation", "cup.toml", "--record", "--csv", "cup-link.toml"},
       "would overwrite --evaluation '" + work + "cup.toml'"},
      {{"--evaluation", "cup.toml", "--json", "cup.toml"}, "would overwrite --evaluation"},
      {{"--csv", "google_charts.txt"}, "would overwrite the Google chart template"},
      {{"--export", "pages", "--json", "pages/results.json"}, "would overwrite --json"},
      {{"--export", base + "pages"}, "--export '" + base + "pages/' is inside the competition"},
      {{"--pictures", "base-link"}, "is inside the competition folder '" + base + "'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    std::vector<std::string> args = {"--batch", base};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const BatchResult result = RunBatch(work, args);
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("nothing was written"), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(base + "eichwald.txt"));
    EXPECT_EQ(ReadText(work + "cup.toml"), "# the organiser's notes\n");
    EXPECT_FALSE(fs::exists(work + "out") || fs::exists(work + "pages") ||
                 fs::exists(base + "pages"));
  }
}

TEST(OutputClash, AResultsFileNamedAsTheReportLeavesTheReport) {
  const SampleSetup sample(TwoEntrants());
  const BatchResult result =
      RunBatch(sample.work, {"--batch", sample.base, "--json", sample.base + "x/../eichwald.txt"});
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("would overwrite the report '" + sample.base + "eichwald.txt'"),
            std::string::npos)
      << result.err;
  EXPECT_EQ(ReadText(sample.base + "eichwald.txt").rfind("1 - ", 0), 0u);
}

TEST(OutputClash, FailedWritesFailTheRun) {
  const SampleSetup sample(TwoEntrants());
  const BatchResult device = RunBatch(sample.work, {"--batch", sample.base, "--json", "/dev/full"});
  EXPECT_EQ(device.status, 1);
  EXPECT_NE(device.err.find("/dev/full: is not a regular file"), std::string::npos) << device.err;
  struct stat info {};
  ASSERT_EQ(::stat("/dev/full", &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode));

  for (const char* option : {"--csv", "--json"}) {
    SCOPED_TRACE(option);
    std::vector<std::string> storage = {"hotlap-eval", "--batch", sample.base, option, "-"};
    std::vector<char*> argv;
    for (std::string& arg : storage) argv.push_back(arg.data());
    std::ostringstream out, err;
    out.setstate(std::ios::badbit);  // as a full disk or a closed pipe leaves it
    const WorkingFolder in(sample.work);
    EXPECT_EQ(cli::RunCommandLine(static_cast<int>(argv.size()), argv.data(), out, err), 1);
    EXPECT_NE(err.str().find("could not write the "), std::string::npos) << err.str();
  }
}

TEST(OutputClash, LinksAreWrittenThroughOrReplacedNeverFollowedOutOfTheExport) {
  const SampleSetup sample(TwoEntrants());
  const std::string& work = sample.work;
  sample.dir.MakeDir("work/kept");
  sample.dir.MakeDir("outside");
  sample.dir.WriteFile("work/kept/cup.toml", "# kept\n");
  fs::create_symlink("kept/results.csv", work + "results.csv");
  fs::create_symlink("kept/cup.toml", work + "cup.toml");
  // Only an earlier export is refreshed, so the link is planted in one.
  ASSERT_EQ(RunBatch(work, {"--batch", sample.base, "--export", "pages"}).status, 0);
  fs::remove_all(work + "pages/entries");
  fs::create_directory_symlink(sample.dir.Path() + "outside", work + "pages/entries");
  const BatchResult result =
      RunBatch(work, {"--batch", sample.base, "--csv", "results.csv", "--evaluation", "cup.toml",
                      "--record", "--export", "pages"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(fs::is_symlink(work + "results.csv"));
  EXPECT_EQ(ReadText(work + "kept/results.csv").rfind("place,", 0), 0u);
  EXPECT_TRUE(fs::is_symlink(work + "cup.toml"));
  EXPECT_NE(ReadText(work + "kept/cup.toml").find("[fingerprints]"), std::string::npos);
  EXPECT_FALSE(fs::is_symlink(work + "pages/entries"));
  EXPECT_TRUE(fs::is_empty(sample.dir.Path() + "outside"));

  // Into the earlier export, whose pictures of an entry were moved out and
  // linked back: the link is replaced before a kept picture is put in place,
  // and the moved pictures are neither used nor removed (an entry that lost
  // its screen, so no screen check replaces the link first).
  const std::string entry = sample.entries.front().folder;
  for (const fs::directory_entry& file : fs::directory_iterator(sample.base + entry)) {
    if (file.path().extension() == ".jpg") fs::remove(file.path());
  }
  fs::path pictures;
  for (const fs::directory_entry& folder : fs::directory_iterator(work + "pages/entries")) {
    if (folder.path().filename().string().ends_with(entry)) pictures = folder.path();
  }
  ASSERT_FALSE(pictures.empty());
  const std::string moved = sample.dir.Path() + "outside/moved";
  fs::rename(pictures, moved);
  const auto files_before = std::distance(fs::directory_iterator(moved), {});
  fs::create_directory_symlink(moved, pictures);
  ASSERT_EQ(RunBatch(work, {"--batch", sample.base, "--export", "pages"}).status, 0);
  EXPECT_FALSE(fs::is_symlink(pictures));
  EXPECT_EQ(std::distance(fs::directory_iterator(moved), {}), files_before);
}

}  // namespace
}  // namespace hl::testing
