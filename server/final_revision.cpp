#include "server/final_revision.h"

#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <system_error>

#include <nlohmann/json.hpp>

#include "evaluation/closing_time.h"
#include "run/competition_run.h"
#include "run/output_needs.h"
#include "server/ledger_table.h"
#include "toolkit/files/file_slots.h"
#include "toolkit/files/sha256.h"

namespace hl::server {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;
using Hashes = std::map<std::string, std::string>;  // relative path -> "sha256:..."

constexpr const char* kManifest = "manifest.json";
constexpr const char* kLedger = "ledger.jsonl";
constexpr int64_t kManifestLimit = int64_t{64} << 20;

// Every regular file below `folder`, by path relative to it; a file that
// cannot be read has an empty hash, which matches none.
Hashes HashesBelow(const std::string& folder, const std::string& except = "") {
  Hashes hashes;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec) || it->is_symlink(ec)) continue;
    const std::string relative = fs::relative(it->path(), folder, ec).generic_string();
    if (relative == except) continue;
    const auto digest = files::Sha256OfFile(it->path().string());
    hashes[relative] = digest ? files::Sha256Text(*digest) : "";
  }
  return hashes;
}

std::string HashOf(const std::string& path) {
  const auto digest = files::Sha256OfFile(path);
  return digest ? files::Sha256Text(*digest) : "";
}

// Files 0444 and folders 0555, deepest first, so nothing is written again
// by mistake; `writable` undoes it for a half-written revision.
void SetModes(const std::string& folder, bool writable) {
  std::error_code ec;
  std::vector<fs::path> folders{folder};
  for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->is_directory(ec)) {
      folders.push_back(it->path());
    } else if (!it->is_symlink(ec)) {
      fs::permissions(it->path(), writable ? fs::perms(0644) : fs::perms(0444), ec);
    }
  }
  if (writable) {
    for (const fs::path& path : folders) fs::permissions(path, fs::perms(0755), ec);
    return;
  }
  std::reverse(folders.begin(), folders.end());
  for (const fs::path& path : folders) fs::permissions(path, fs::perms(0555), ec);
}

void RemoveHalfWritten(const std::string& folder) {
  std::error_code ec;
  if (!fs::exists(folder, ec)) return;
  fs::permissions(folder, fs::perms(0755), ec);
  SetModes(folder, true);
  fs::remove_all(folder, ec);
}

Result<void> WriteText(const std::string& path, const std::string& text) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  if (!files::ReplaceFileAtomically(path, {bytes, text.size()}))
    return Fail({"cannot write the file", path, std::nullopt});
  return {};
}

Json HashesJson(const Hashes& hashes) {
  Json json = Json::object();
  for (const auto& [path, hash] : hashes) json[path] = hash;
  return json;
}

Result<std::string> LedgerText(VersionStore& store) {
  const auto records = store.LedgerSince(0);
  if (!records) return Fail(records.error());
  std::string text;
  for (const LedgerRecord& record : *records) text += LedgerLine(record) + "\n";
  return text;
}

// The earlier revisions' pages as this one links them: they resolve alike
// from the revision's own folder on disk, from /final/N/ and from /.
std::vector<std::string> EarlierLinks(int64_t number) {
  std::vector<std::string> links;
  for (int64_t earlier = 1; earlier < number; ++earlier)
    links.push_back("../../final/" + std::to_string(earlier) + "/");
  return links;
}

Result<Json> ReadManifest(const std::string& path) {
  std::error_code ec;
  const auto size = fs::file_size(path, ec);
  if (ec) return Fail({"the revision has no manifest", path, std::nullopt});
  if (size > static_cast<uintmax_t>(kManifestLimit))
    return Fail({"the manifest is larger than 64 MiB", path, std::nullopt});
  std::ifstream in(path, std::ios::binary);
  Json manifest = Json::parse(in, nullptr, false);
  if (manifest.is_discarded() || !manifest.is_object() || !manifest["outputs"].is_object() ||
      !manifest["inputs"].is_object()) {
    return Fail({"the manifest cannot be read", path, std::nullopt});
  }
  return manifest;
}

// Each path of `expected` and `now` that differs, prefixed by `where`.
void AddDifferences(const Json& expected, const Hashes& now, const std::string& where,
                    std::vector<std::string>& differences) {
  for (const auto& [path, hash] : expected.items()) {
    const auto found = now.find(path);
    if (found == now.end()) {
      differences.push_back(where + path + ": missing");
    } else if (!hash.is_string() || found->second != hash.get<std::string>()) {
      differences.push_back(where + path + ": changed");
    }
  }
  for (const auto& [path, hash] : now) {
    if (!expected.contains(path)) differences.push_back(where + path + ": added");
  }
}

}  // namespace

std::optional<std::string> FinalReasonProblem(const std::string& reason) {
  if (reason.empty() || reason.size() > 500) return "the reason must be 1 to 500 characters long";
  if (std::any_of(reason.begin(), reason.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }))
    return "the reason must be one line without control characters";
  return std::nullopt;
}

std::string FinalFolder(const StateFolders& folders) { return folders.State() + "final/"; }

std::string RevisionFolder(const StateFolders& folders, int64_t number) {
  return FinalFolder(folders) + std::to_string(number) + "/";
}

std::vector<int64_t> RevisionNumbers(const StateFolders& folders) {
  std::vector<int64_t> numbers;
  std::error_code ec;
  for (const auto& item : fs::directory_iterator(FinalFolder(folders), ec)) {
    const std::string name = item.path().filename().string();
    if (name.empty() || name.size() > 9 || name.front() == '0' ||
        !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; }))
      continue;
    numbers.push_back(std::stoll(name));
  }
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

Result<PublishedRevision> PublishRevision(const StateFolders& folders,
                                          const std::string& evaluation_file, VersionStore& store,
                                          const std::string& actor, const std::string& reason) {
  const auto numbers = RevisionNumbers(folders);
  const int64_t number = numbers.empty() ? 1 : numbers.back() + 1;
  const int64_t now = static_cast<int64_t>(std::time(nullptr));
  const std::string at = evaluation::Rfc3339Utc(now);
  const std::string partial = FinalFolder(folders) + ".partial/";
  RemoveHalfWritten(partial);
  std::error_code ec;
  fs::create_directories(partial, ec);
  if (ec) return Fail({"cannot make the revision's folder", partial, std::nullopt});

  run::RunPlan plan;
  plan.base_dir = folders.Base();
  plan.evaluation_file = evaluation_file;
  plan.export_dir = partial;
  plan.report_dir = partial;
  plan.publication.folder_by_name = true;
  plan.publication.standing = publish::Standing::kFinal;
  plan.publication.revision =
      publish::FinalRevision{number, evaluation::UtcText(now), reason, EarlierLinks(number)};
  const run::EvaluatedCompetition run = run::EvaluateCompetition(plan, run::NeedsOf(plan));
  if (!run.Ranked() || run.status != run::ExitStatus::kDone) {
    RemoveHalfWritten(partial);
    return Fail(
        {"the competition could not be evaluated and written whole", folders.Base(), std::nullopt});
  }
  auto ledger = LedgerText(store);
  if (!ledger) return Fail(ledger.error());
  if (auto written = WriteText(partial + kLedger, *ledger); !written) return Fail(written.error());

  Json manifest = {{"revision", number}, {"published", at}, {"reason", reason}};
  manifest["evaluation"] = evaluation_file.empty() ? Json(nullptr)
                                                   : Json{{"file", evaluation_file},
                                                          {"sha256", HashOf(evaluation_file)}};
  manifest["reference_car"] = run.record.car_file ? Json(*run.record.car_file) : Json(nullptr);
  manifest["inputs"] = HashesJson(HashesBelow(folders.Base()));
  manifest["ledger"] = HashOf(partial + kLedger);
  manifest["outputs"] = HashesJson(HashesBelow(partial, kManifest));
  if (auto written = WriteText(partial + kManifest, manifest.dump(2) + "\n"); !written)
    return Fail(written.error());
  SetModes(partial, false);
  if (rename(partial.c_str(), RevisionFolder(folders, number).c_str()) != 0) {
    RemoveHalfWritten(partial);
    return Fail(
        {"cannot put the revision in place", RevisionFolder(folders, number), std::nullopt});
  }
  LedgerRecord record;
  record.at = at;
  record.actor = actor;
  record.action = "final";
  record.new_value = number;
  record.reason = reason;
  if (auto added = store.AddToLedger(record); !added) return Fail(added.error());
  return PublishedRevision{number, at};
}

Result<std::vector<std::string>> RevisionDifferences(const StateFolders& folders, int64_t number,
                                                     bool with_inputs) {
  const std::string folder = RevisionFolder(folders, number);
  auto manifest = ReadManifest(folder + kManifest);
  if (!manifest) return Fail(manifest.error());
  std::vector<std::string> differences;
  AddDifferences((*manifest)["outputs"], HashesBelow(folder, kManifest), folder, differences);
  if (!with_inputs) return differences;
  AddDifferences((*manifest)["inputs"], HashesBelow(folders.Base()), folders.Base(), differences);
  const Json& evaluation = (*manifest)["evaluation"];
  if (evaluation.is_object() && evaluation["file"].is_string()) {
    const std::string file = evaluation["file"].get<std::string>();
    // A file inside the base folder is among the inputs already.
    if (file.rfind(folders.Base(), 0) != 0 && HashOf(file) != evaluation["sha256"])
      differences.push_back(file + ": changed");
  }
  return differences;
}

}  // namespace hl::server
