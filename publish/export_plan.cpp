#include "publish/export_plan.h"

#include <sys/stat.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <system_error>
#include <utility>

#include <nlohmann/json.hpp>

namespace hl::publish {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFormat = "hotlap-eval export";
constexpr int kVersion = 1;
constexpr const char* kKeptFolder = ".hotlap-kept/";

// The only files an export writes. A manifest is read from disk, so a path
// in it that is anything else (a "..", a folder outside) is never touched.
bool ExportFileName(const std::string& path) {
  static const std::regex kNames(R"((index\.html|results\.json|results\.csv|chart\.png|ghosts\.png)"
                                 R"(|entries/[0-9]+-[A-Za-z0-9_-]*/(track\.png|screen\.jpg)))");
  return std::regex_match(path, kNames);
}

// A picture's kind and what it was made from: a track file and a screen
// file with the same bytes still give different pictures.
std::string SourceKey(const std::string& path, const std::string& source) {
  return fs::path(path).filename().string() + "-" + source.substr(source.find(':') + 1);
}

// What tells one file from another without reading it: a file written
// since has another change time, which no one can set back.
std::optional<std::string> FileStamp(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino) + ":" +
         std::to_string(info.st_size) + ":" + std::to_string(info.st_ctim.tv_sec) + "." +
         std::to_string(info.st_ctim.tv_nsec);
}

std::optional<files::Sha256Digest> ParseFingerprint(const std::string& text) {
  constexpr std::string_view kPrefix = "sha256:";
  if (text.size() != kPrefix.size() + 64 || !text.starts_with(kPrefix)) return std::nullopt;
  files::Sha256Digest digest{};
  for (size_t i = 0; i < digest.size(); ++i) {
    const auto begin = text.data() + kPrefix.size() + 2 * i;
    if (std::from_chars(begin, begin + 2, digest[i], 16).ptr != begin + 2) return std::nullopt;
  }
  return digest;
}

std::optional<nlohmann::json> ReadManifest(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  const std::string text((std::istreambuf_iterator<char>(in)), {});
  nlohmann::json manifest = nlohmann::json::parse(text, nullptr, false);
  if (!manifest.is_object() || manifest.value("format", "") != kFormat ||
      manifest.value("version", 0) != kVersion || !manifest["files"].is_object())
    return std::nullopt;
  return manifest;
}

}  // namespace

ExportPlan::ExportPlan(std::string folder, std::string maker)
    : folder_(std::move(folder)), maker_(std::move(maker)), kept_folder_(folder_ + kKeptFolder) {
  KeepAside();
}

ExportPlan::~ExportPlan() {
  std::error_code ec;
  fs::remove_all(kept_folder_, ec);
}

void ExportPlan::KeepAside() {
  std::error_code ec;
  fs::remove_all(kept_folder_, ec);  // left by a run that was stopped
  const auto manifest = ReadManifest(folder_ + kExportManifest);
  if (!manifest) return;
  const bool same_maker = manifest->value("maker", "") == maker_;
  if (same_maker) fs::create_directory(kept_folder_, ec);
  const nlohmann::json& stamps = manifest->value("stamps", nlohmann::json::object());
  for (const auto& [path, source] : manifest->at("files").items()) {
    if (!ExportFileName(path)) continue;
    earlier_files_.insert(path);
    if (!same_maker || !source.is_string()) continue;
    if (stamps.is_object() && stamps.contains(path) && stamps[path].is_string() &&
        ParseFingerprint(source.get<std::string>()))
      earlier_stamps_[stamps[path].get<std::string>()] = source.get<std::string>();
    const std::string key = SourceKey(path, source.get<std::string>());
    if (earlier_.contains(key)) continue;
    const std::string kept = kept_folder_ + key;
    fs::create_hard_link(folder_ + path, kept, ec);
    if (!ec) earlier_[key] = kept;
  }
}

std::string ExportPlan::Relative(const std::string& path) const {
  return path.starts_with(folder_) ? path.substr(folder_.size()) : path;
}

std::optional<files::Sha256Digest> ExportPlan::SourceOf(const std::string& path,
                                                        const std::string& source_file) {
  const std::optional<std::string> stamp = FileStamp(source_file);
  if (!stamp) return std::nullopt;
  std::optional<files::Sha256Digest> digest;
  if (const auto known = earlier_stamps_.find(*stamp); known != earlier_stamps_.end())
    digest = ParseFingerprint(known->second);
  if (!digest) digest = files::Sha256OfFile(source_file);
  if (digest) {
    const std::lock_guard lock(mutex_);
    stamps_[Relative(path)] = *stamp;
  }
  return digest;
}

std::optional<std::string> ExportPlan::EarlierFile(const std::string& path,
                                                   const files::Sha256Digest& source) const {
  const auto kept = earlier_.find(SourceKey(path, files::Sha256Text(source)));
  if (kept == earlier_.end()) return std::nullopt;
  return kept->second;
}

bool ExportPlan::Reuse(const std::string& path, const files::Sha256Digest& source) {
  const std::optional<std::string> kept = EarlierFile(path, source);
  if (!kept) return false;
  std::error_code ec;
  if (!fs::equivalent(*kept, path, ec)) {
    // Linked beside its place and renamed over it: a reader never sees a
    // picture half there.
    const std::string beside = path + ".kept";
    fs::remove(beside, ec);
    fs::create_directories(fs::path(path).parent_path(), ec);
    fs::create_hard_link(*kept, beside, ec);
    if (!ec) fs::rename(beside, path, ec);
    if (ec) {
      fs::remove(beside, ec);
      return false;
    }
  }
  Note(path, source);
  return true;
}

void ExportPlan::Note(const std::string& path, const std::optional<files::Sha256Digest>& source) {
  const std::lock_guard lock(mutex_);
  files_[Relative(path)] =
      source ? std::optional<std::string>(files::Sha256Text(*source)) : std::nullopt;
}

void ExportPlan::Forget(const std::string& path) {
  const std::lock_guard lock(mutex_);
  files_.erase(Relative(path));
  stamps_.erase(Relative(path));
}

std::string ExportPlan::ManifestText() const {
  const std::lock_guard lock(mutex_);
  nlohmann::ordered_json files = nlohmann::ordered_json::object();
  for (const auto& [path, source] : files_)
    files[path] = source ? nlohmann::ordered_json(*source) : nlohmann::ordered_json();
  nlohmann::ordered_json stamps = nlohmann::ordered_json::object();
  for (const auto& [path, stamp] : stamps_) {
    if (files_.contains(path)) stamps[path] = stamp;
  }
  const nlohmann::ordered_json manifest = {{"format", kFormat},
                                           {"version", kVersion},
                                           {"maker", maker_},
                                           {"files", files},
                                           {"stamps", stamps}};
  return manifest.dump(2) + "\n";
}

void ExportPlan::RemoveStale() {
  std::error_code ec;
  {
    const std::lock_guard lock(mutex_);
    for (const std::string& path : earlier_files_) {
      if (!files_.contains(path)) fs::remove(folder_ + path, ec);
    }
  }
  // Only empty folders go: fs::remove leaves any other.
  for (const auto& entry : fs::directory_iterator(folder_ + "entries", ec)) {
    std::error_code not_empty;
    if (entry.is_directory(not_empty) && !entry.is_symlink(not_empty))
      fs::remove(entry.path(), not_empty);
  }
  fs::remove_all(kept_folder_, ec);
}

}  // namespace hl::publish
