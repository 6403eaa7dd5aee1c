#include "app/decisions/staged_export.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "toolkit/files/file_slots.h"

namespace hl::decisions {
namespace {

namespace fs = std::filesystem;

std::string MakeStagingFolder() {
  std::error_code ec;
  std::string pattern = (fs::temp_directory_path(ec) / "hotlap-eval-page-XXXXXX").string();
  if (ec || ::mkdtemp(pattern.data()) == nullptr) return "";
  return pattern + "/";
}

Result<std::vector<uint8_t>> FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
  if (in.bad()) return Fail({"cannot be read", path.string(), std::nullopt});
  return bytes;
}

std::string Told(const run::Diagnostics& diagnostics) {
  std::string text;
  for (const run::Diagnostic& told : diagnostics.All()) {
    if (told.severity == run::Severity::kProblem) text += (text.empty() ? "" : "; ") + told.text;
  }
  return text;
}

}  // namespace

StagedExport::StagedExport() : staging_(MakeStagingFolder()) {
  if (!staging_.empty()) run_.emplace(staging_, log_);
}

StagedExport::~StagedExport() {
  run_.reset();  // its writer finishes before the folder goes
  std::error_code ec;
  if (!staging_.empty()) fs::remove_all(staging_, ec);
}

void StagedExport::KeepEntryPictures(const state::AppState& s) {
  if (run_ && !finished_) run_->SaveEntryPictures(s);
}

Result<int> StagedExport::Publish(const state::AppState& s, const std::string& folder) {
  if (!run_) return Fail({"no private folder for the page's pictures", staging_, std::nullopt});
  if (!finished_) finished_ = run_->Finish(s);
  if (!*finished_)
    return Fail({"the results page could not be made: " + Told(log_), staging_, std::nullopt});
  int written = 0;
  std::error_code ec;
  for (const auto& item : fs::recursive_directory_iterator(staging_, ec)) {
    if (!item.is_regular_file()) continue;
    const fs::path target = fs::path(folder) / fs::relative(item.path(), staging_);
    fs::create_directories(target.parent_path(), ec);
    const auto bytes = FileBytes(item.path());
    if (!bytes) return Fail(bytes.error());
    if (!files::ReplaceFileAtomically(target.string(), *bytes))
      return Fail({"cannot be written", target.string(), std::nullopt});
    ++written;
  }
  if (ec) return Fail({"cannot be listed: " + ec.message(), staging_, std::nullopt});
  return written;
}

}  // namespace hl::decisions
