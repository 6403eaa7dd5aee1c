// Mistakes on the command lines of serve, token and ledger: status 2 and one line,
// after the program's name like every other problem, pointing at the
// subcommand's own help. None of these paths exists, and nothing is made.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/program.h"

namespace hl::cli {
namespace {

struct Outcome {
  int status = 0;
  std::string out, err;
};

Outcome RunHotlap(std::vector<std::string> args) {
  args.insert(args.begin(), "hotlap-eval");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::ostringstream out, err;
  const int status = RunCommandLine(static_cast<int>(args.size()), argv.data(), out, err);
  return {status, out.str(), err.str()};
}

TEST(ServerCommandLine, MistakesAreOneLineWithTheSubcommandsHelp) {
  const std::string missing = "/nonexistent-hotlap/";
  const std::string serve_help = " (see hotlap-eval serve --help)\n";
  const std::string token_help = " (see hotlap-eval token --help)\n";
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"serve", missing + "cup", "--state", missing + "st"},
       "base folder '" + missing + "cup' does not exist" + serve_help},
      {{"serve", "/", "--state", missing + "st", "--listen", "localhost"},
       "--listen wants HOST:PORT, got 'localhost'" + serve_help},
      {{"serve", "/", "--state", missing + "st", "--closes", "2026-12-24 18:00"}, serve_help},
      {{"serve", "/", "--state", missing + "st", "--rate-limit", "0"}, serve_help},
      {{"serve", "/", "--state", missing + "st", "--penalty", "a=1"}, serve_help},
      {{"--json", "x", "serve", "/", "--state", missing + "st"},
       "serve cannot be combined with --json" + serve_help},
      {{"serve", "/"}, "--state is required" + serve_help},
      {{"token", "/", "--state", missing + "st", "bad name"},
       "'bad name' is no entry folder, and a new one must be named with 1 to 40 of A-Z a-z 0-9 _ "
       "-" +
           token_help},
      {{"token", "/", "--state", missing + "st"},
       "token needs ENTRY or --organiser NAME" + token_help},
      {{"token", "/", "--state", missing + "st", "--organiser", "jo", "jo/"},
       "'jo/' is no organiser name: 1 to 40 of A-Z a-z 0-9 _ -" + token_help},
      {{"token", "/", "--state", missing + "st", "--organiser", std::string(41, 'j')},
       "is no organiser name: 1 to 40 of A-Z a-z 0-9 _ -" + token_help},
      {{"token", "/", "--state", missing + "st", "--organiser", ""}, token_help},
      {{"ledger", missing + "cup", "--state", missing + "st"},
       "base folder '" + missing + "cup' does not exist (see hotlap-eval ledger --help)\n"},
      {{"token", "/", "--stat", missing + "st", "anna"},
       "unknown option '--stat' (did you mean --state?)" + token_help},
      {{"batch", "/", "serve"}, "unexpected argument 'serve' (see hotlap-eval --help)\n"},
  };
  for (const auto& [args, ending] : cases) {
    SCOPED_TRACE(::testing::PrintToString(args));
    const Outcome run = RunHotlap(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("hotlap-eval: ", 0), 0u) << run.err;
    EXPECT_TRUE(run.err.ends_with(ending)) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
  EXPECT_FALSE(std::filesystem::exists(missing));
}

}  // namespace
}  // namespace hl::cli
