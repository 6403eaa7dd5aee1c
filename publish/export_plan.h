#pragma once
// An export folder written before holds the pictures of entries that did
// not change. The folder's manifest names every file of the export and,
// for each entry picture, the fingerprint of the file it was made from, so
// a new export into the folder puts an unchanged picture in place instead
// of drawing and encoding it again, and removes the files of the earlier
// export that belong to nothing any more. The folder ends up as a fresh
// export into an empty folder would leave it, manifest included.

#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "toolkit/files/sha256.h"

namespace hl::publish {

inline constexpr const char* kExportManifest = ".hotlap-export.json";

class ExportPlan {
 public:
  // `folder` is the export folder (ending with "/"); `maker` names the
  // program version, since another version may draw the pictures otherwise.
  // The earlier export's pictures are kept aside (hard links), so a new
  // file written over one of their paths cannot lose a picture still needed.
  ExportPlan(std::string folder, std::string maker);
  ExportPlan(const ExportPlan&) = delete;
  ExportPlan& operator=(const ExportPlan&) = delete;
  ~ExportPlan();

  // The fingerprint of `source_file`, which `path`'s picture is made from:
  // the earlier export's when the file is the very one it fingerprinted
  // (same device, inode, size and change time, as the manifest keeps
  // them), read and hashed otherwise; nullopt when it cannot be read.
  std::optional<files::Sha256Digest> SourceOf(const std::string& path,
                                              const std::string& source_file);
  // `path` (inside the folder) is to hold a picture made from a file with
  // fingerprint `source`. True when the earlier export's picture of it was
  // put there, which spares making it. Safe from any thread.
  bool Reuse(const std::string& path, const files::Sha256Digest& source);
  // Where the earlier export's picture for `path` made from `source` is
  // kept until the export ends; nullopt when it has none.
  std::optional<std::string> EarlierFile(const std::string& path,
                                         const files::Sha256Digest& source) const;
  // `path` holds a picture made from `source` (nullopt: not known).
  void Note(const std::string& path, const std::optional<files::Sha256Digest>& source);
  // `path` was not written after all.
  void Forget(const std::string& path);

  // The manifest of every file noted, sorted by path.
  std::string ManifestText() const;
  // Removes each file of the earlier export that the new one did not note,
  // the folders under entries/ that are left empty, and what was kept aside.
  void RemoveStale();

 private:
  std::string Relative(const std::string& path) const;
  void KeepAside();

  std::string folder_;
  std::string maker_;
  std::string kept_folder_;
  std::map<std::string, std::string> earlier_;  // source key -> kept-aside file
  std::set<std::string> earlier_files_;         // relative paths the earlier manifest named
  mutable std::mutex mutex_;
  std::map<std::string, std::optional<std::string>> files_;  // relative path -> fingerprint
  std::map<std::string, std::string> earlier_stamps_;        // file stamp -> fingerprint
  std::map<std::string, std::string> stamps_;                // relative path -> file stamp
};

}  // namespace hl::publish
