// make-sample-competition OUTDIR [--entrants N] [--screen WxH] [--runs N]
//                         [--objects N] [--rects N] [--ghost N] [--ghost-drivers N]
// Writes a synthetic competition to try the evaluator on.

#include <charconv>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "tools/competition/sample_competition.h"

namespace {

constexpr const char* kUsage =
    "Usage: make-sample-competition OUTDIR [--entrants N] [--screen WxH] [--runs N]\n"
    "                               [--objects N] [--rects N] [--ghost N] [--ghost-drivers N]\n";

std::optional<int> ParseNumber(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

bool ParseScreen(std::string_view text, hl::competition::SampleOptions& options) {
  const size_t cross = text.find('x');
  if (cross == std::string_view::npos) return false;
  const auto width = ParseNumber(text.substr(0, cross));
  const auto height = ParseNumber(text.substr(cross + 1));
  if (!width || !height) return false;
  options.screen_width = *width;
  options.screen_height = *height;
  return true;
}

int* NumberOption(std::string_view name, hl::competition::SampleOptions& options) {
  if (name == "--entrants") return &options.entrants;
  if (name == "--runs") return &options.runs;
  if (name == "--objects") return &options.objects;
  if (name == "--rects") return &options.rects;
  if (name == "--ghost") return &options.ghost;
  if (name == "--ghost-drivers") return &options.ghost_drivers;
  return nullptr;
}

int UsageError(const std::string& message) {
  std::cerr << "make-sample-competition: " << message << '\n' << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  hl::competition::SampleOptions options;
  std::optional<std::string> folder;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help") {
      std::cout << kUsage;
      return 0;
    }
    if (!arg.starts_with("--")) {
      if (folder) return UsageError("more than one output folder");
      folder = std::string(arg);
      continue;
    }
    if (i + 1 >= argc) return UsageError(std::string(arg) + " needs a value");
    const std::string_view value = argv[++i];
    if (arg == "--screen") {
      if (!ParseScreen(value, options)) return UsageError("--screen wants WIDTHxHEIGHT");
    } else if (int* target = NumberOption(arg, options)) {
      const auto number = ParseNumber(value);
      if (!number) return UsageError(std::string(arg) + " wants a whole number");
      *target = *number;
    } else {
      return UsageError("unknown option '" + std::string(arg) + "'");
    }
  }
  if (!folder) return UsageError("the output folder is missing");
  if (auto problem = hl::competition::CheckSampleOptions(options)) return UsageError(*problem);
  if (auto problem = hl::competition::WriteSampleCompetition(*folder, options)) {
    std::cerr << "make-sample-competition: " << *problem << '\n';
    return 1;
  }
  std::cout << "Sample competition with " << options.entrants << " entrants written to " << *folder
            << '\n';
  return 0;
}
