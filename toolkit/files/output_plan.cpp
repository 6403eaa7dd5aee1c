#include "toolkit/files/output_plan.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "toolkit/files/file_identity.h"

namespace hl::files {
namespace {

namespace fs = std::filesystem;

std::string Quoted(const NamedPath& named) { return named.what + " '" + named.path + "'"; }

// A file whose folder does not exist has no place yet; its normal absolute
// text stands in (a name holding "/" never equals a real place's name).
FilePlace PlaceOrText(const std::string& path) {
  if (auto place = PlaceOf(path)) return *place;
  std::error_code ec;
  return {{}, fs::absolute(path, ec).lexically_normal().string()};
}

std::optional<std::string> OutputFileClash(const OutputPlan& plan) {
  std::vector<std::pair<FilePlace, const NamedPath*>> seen;
  for (const NamedPath& input : plan.input_files) {
    if (auto place = PlaceOf(input.path)) seen.emplace_back(*place, &input);
  }
  for (const NamedPath& output : plan.output_files) {
    const FilePlace place = PlaceOrText(output.path);
    for (const auto& [earlier, named] : seen) {
      if (earlier == place) return Quoted(output) + " would overwrite " + Quoted(*named);
    }
    seen.emplace_back(place, &output);
  }
  return std::nullopt;
}

std::optional<std::string> FolderInInput(const OutputPlan& plan) {
  for (const NamedPath& output : plan.output_folders) {
    for (const NamedPath& input : plan.input_folders) {
      if (IsSameOrInside(output.path, input.path))
        return Quoted(output) + " is inside " + Quoted(input) + ", whose folders are its entries";
    }
  }
  return std::nullopt;
}

std::optional<std::string> InsideOwned(const OutputPlan& plan) {
  for (const NamedPath& owned : plan.owned_folders) {
    if (!IdentityOf(owned.path)) continue;  // nothing can be inside a folder yet to be made
    for (const auto* kind : {&plan.input_files, &plan.input_folders, &plan.output_files}) {
      for (const NamedPath& named : *kind) {
        if (IsSameOrInside(named.path, owned.path))
          return Quoted(named) + " is inside '" + owned.path + "', which " + owned.what + " fills";
      }
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> FindClash(const OutputPlan& plan) {
  if (auto clash = OutputFileClash(plan)) return clash;
  if (auto clash = FolderInInput(plan)) return clash;
  return InsideOwned(plan);
}

}  // namespace hl::files
