#include "evaluation/file_changes.h"

#include <algorithm>

namespace hl::evaluation {
namespace {

std::string FolderOf(const std::string& file) {
  const size_t slash = file.find('/');
  return slash == std::string::npos ? "" : file.substr(0, slash);
}

const char* ChangeName(Change change) {
  switch (change) {
    case Change::Changed:
      return "changed";
    case Change::Added:
      return "added";
    case Change::Removed:
      return "removed";
  }
  return "";
}

record::Finding ChangeFinding(const std::vector<FileChange>& changes) {
  nlohmann::ordered_json files = nlohmann::ordered_json::array();
  for (const FileChange& change : changes) {
    files.push_back({{"file", change.file}, {"change", ChangeName(change.change)}});
  }
  return {.code = kChangedSinceRecorded,
          .message = "files differ from the recorded evaluation: " + DescribeChanges(changes),
          .fields = {{"files", std::move(files)}}};
}

}  // namespace

ChangesByFolder CompareFingerprints(const Fingerprints& recorded, const Fingerprints& current) {
  ChangesByFolder changes;
  const auto note = [&changes](const std::string& file, Change change) {
    changes[FolderOf(file)].push_back({file, change});
  };
  for (const auto& [file, fingerprint] : recorded) {
    const auto now = current.find(file);
    if (now == current.end()) {
      note(file, Change::Removed);
    } else if (now->second != fingerprint) {
      note(file, Change::Changed);
    }
  }
  for (const auto& [file, fingerprint] : current) {
    if (!recorded.contains(file)) note(file, Change::Added);
  }
  for (auto& [folder, files] : changes) {
    std::sort(files.begin(), files.end(),
              [](const FileChange& a, const FileChange& b) { return a.file < b.file; });
  }
  return changes;
}

void AddChangeFindings(const ChangesByFolder& changes, record::CompetitionRecord& competition) {
  for (record::EntryRecord& entry : competition.entries) {
    if (const auto found = changes.find(entry.folder); found != changes.end()) {
      entry.findings.push_back(ChangeFinding(found->second));
    }
  }
}

std::string DescribeChanges(const std::vector<FileChange>& changes) {
  std::string text;
  for (const FileChange& change : changes) {
    if (!text.empty()) text += ", ";
    text += change.file + " " + ChangeName(change.change);
  }
  return text;
}

}  // namespace hl::evaluation
