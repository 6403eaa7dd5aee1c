// The manual page is written by hand, so options added to the program must
// get a line there too: the options `--help` lists, with their value names,
// must be exactly those the manual page's OPTIONS section describes.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/program.h"

namespace hl::cli {
namespace {

std::string HelpText() {
  char program[] = "hotlap-eval";
  char help[] = "--help";
  char* argv[] = {program, help, nullptr};
  std::ostringstream out, err;
  EXPECT_EQ(RunCommandLine(2, argv, out, err), 0);
  return out.str();
}

// "  --penalty ENTRY=TIME  replaces ..." gives "--penalty ENTRY=TIME": an
// option row starts with "--" after the indent and its description is set
// off by two spaces.
std::vector<std::string> HelpOptions(const std::string& help) {
  std::vector<std::string> options;
  std::istringstream lines(help);
  for (std::string line; std::getline(lines, line);) {
    const size_t start = line.find_first_not_of(' ');
    if (start == 0 || start == std::string::npos || line.compare(start, 2, "--") != 0) continue;
    const size_t gap = line.find("  ", start);
    options.push_back(line.substr(start, gap == std::string::npos ? gap : gap - start));
  }
  return options;
}

// The words of a font macro line (".BI \-\-batch " BASEDIR""), quotes
// honoured, printed side by side as troff does: "--batch BASEDIR".
std::string RenderFontMacro(const std::string& line) {
  std::string text;
  bool quoted = false;
  for (size_t i = line.find(' '); i != std::string::npos && i < line.size(); ++i) {
    const char c = line[i];
    if (c == '"') {
      quoted = !quoted;
    } else if (c == '\\' && i + 1 < line.size() && line[i + 1] == '-') {
      text += '-';
      ++i;
    } else if (c != ' ' || quoted) {
      text += c;
    }
  }
  return text;
}

// The tags of the ".TP" paragraphs in the OPTIONS section.
std::vector<std::string> ManPageOptions(const std::string& path) {
  std::ifstream in(path);
  EXPECT_TRUE(in) << path;
  std::vector<std::string> options;
  bool in_options = false;
  bool tag_next = false;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(".SH ", 0) == 0) in_options = line == ".SH OPTIONS";
    if (!in_options) continue;
    if (tag_next && (line.rfind(".B ", 0) == 0 || line.rfind(".BI ", 0) == 0))
      options.push_back(RenderFontMacro(line));
    tag_next = line == ".TP";
  }
  return options;
}

std::vector<std::string> Sorted(std::vector<std::string> list) {
  std::sort(list.begin(), list.end());
  return list;
}

TEST(ManPage, DescribesExactlyTheOptionsOfHelp) {
  const std::vector<std::string> help = HelpOptions(HelpText());
  ASSERT_GE(help.size(), 6u) << "the option rows of --help were not found";
  const std::vector<std::string> man =
      ManPageOptions(std::string(HOTLAP_SOURCE_DIR) + "/docs/hotlap-eval.1");
  EXPECT_EQ(Sorted(man), Sorted(help));
}

}  // namespace
}  // namespace hl::cli
