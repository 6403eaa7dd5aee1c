#pragma once
// The arguments of a batch run, taken apart and checked before anything is
// evaluated, so a typing mistake never leaves half a run behind.

#include <map>
#include <string>
#include <variant>
#include <vector>

namespace hl::batch {

struct BatchOptions {
  std::string base_dir;                       // absolute, ends with "/"
  std::map<std::string, std::string> penalties;  // entry folder name -> penalty text
  bool google = false;
  std::string pictures_dir;  // absolute, ends with "/"; "" when no pictures are wanted
  // Results files: absolute paths, kStandardOutput, or "" when not wanted.
  std::string json_file;
  std::string csv_file;
};

inline constexpr const char* kStandardOutput = "-";

struct ShowHelp {};
struct ShowVersion {};
struct UsageError {
  std::string message;  // one line, no line break
};

using ParsedCommandLine = std::variant<BatchOptions, ShowHelp, ShowVersion, UsageError>;

// Reads the arguments after the program name. Folders are made absolute
// against the working folder; the base folder and the entries named by
// --penalty must exist. Creates nothing.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

std::string UsageText();

}  // namespace hl::batch
