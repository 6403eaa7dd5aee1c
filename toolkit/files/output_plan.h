#pragma once
// What a run will read and write, checked before anything is written: no
// output may be one of the inputs or another output, however the paths are
// spelled or linked, and no written folder may lie inside a folder the run
// reads as a whole.

#include <optional>
#include <string>
#include <vector>

namespace hl::files {

struct NamedPath {
  std::string what;  // how the user knows it: "--json", "the car file"
  std::string path;
};

struct OutputPlan {
  std::vector<NamedPath> input_files;
  std::vector<NamedPath> input_folders;   // read as a whole: every folder in it is an entry
  std::vector<NamedPath> output_files;    // existing or to be made
  std::vector<NamedPath> output_folders;  // written into; never inside an input folder
  // Everything below these is written by the run, so nothing else may be there.
  std::vector<NamedPath> owned_folders;
};

// The first clash, in words ("--csv '/c/ev.toml' would overwrite --evaluation
// '/c/ev.toml'"); nullopt when every output is a place of its own.
std::optional<std::string> FindClash(const OutputPlan& plan);

}  // namespace hl::files
