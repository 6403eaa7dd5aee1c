#include "cli/option_suggestion.h"

#include <algorithm>
#include <vector>

namespace hl::cli {
namespace {

constexpr size_t kMostMistakes = 2;

// Letters left out, added or changed, and neighbours swapped, that turn
// `a` into `b`.
size_t Mistakes(const std::string& a, const std::string& b) {
  std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
  for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t changed = a[i - 1] == b[j - 1] ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + changed});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  }
  return d[a.size()][b.size()];
}

// The long option `name` is a near miss of; "" when none is. Short names
// allow fewer mistakes, so "--x" suggests nothing.
std::string NearMiss(const CLI::App& command, const std::string& name) {
  const size_t letters = name.size() - std::min(name.find_first_not_of('-'), name.size());
  size_t fewest = std::min(kMostMistakes, letters / 2) + 1;
  std::string best;
  for (const CLI::Option* option : command.get_options()) {
    for (const std::string& long_name : option->get_lnames()) {
      const size_t mistakes = Mistakes(name, "--" + long_name);
      if (mistakes > 0 && mistakes < fewest) {
        fewest = mistakes;
        best = "--" + long_name;
      }
    }
  }
  return best;
}

}  // namespace

std::string UnknownOption(const CLI::App& command, const std::string& typed) {
  const std::string name = typed.substr(0, typed.find('='));
  const std::string near_miss = NearMiss(command, name);
  return "unknown option '" + name + "'" +
         (near_miss.empty() ? "" : " (did you mean " + near_miss + "?)");
}

}  // namespace hl::cli
