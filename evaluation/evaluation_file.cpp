#include "evaluation/evaluation_file.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "evaluation/closing_keys.h"
#include "evaluation/fingerprint_names.h"
#include "evaluation/toml_document.h"
#include "record/rules.h"

namespace hl::evaluation {
namespace {

bool IsFingerprint(std::string_view text) {
  constexpr std::string_view kPrefix = "sha256:";
  constexpr size_t kHexDigits = 64;
  return text.size() == kPrefix.size() + kHexDigits && text.starts_with(kPrefix) &&
         std::all_of(text.begin() + kPrefix.size(), text.end(),
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// Checks one document against the shape the file may have, collecting what
// it holds. The first problem ends the check.
class FileChecker {
 public:
  FileChecker(const std::string& path, const std::string& base_dir)
      : path_(path), base_dir_(base_dir) {}

  Result<EvaluationFile> Check(const toml::table& root) {
    for (auto&& [key, node] : root) {
      if (auto taken = TakeKey(key, node); !taken) return Fail(taken.error());
    }
    return std::move(file_);
  }

 private:
  Error At(const toml::source_region& where, const std::string& what) const {
    return AtLine(path_, where.begin.line, what);
  }

  Result<void> TakeKey(const toml::key& key, const toml::node& node) {
    if (key.str() == "period") return TakePeriod(node);
    if (key.str() == "penalty") return TakePenalties(node);
    if (key.str() == "fingerprints") return TakeFingerprints(node);
    if (key.str() == "closes" || key.str() == "freeze" || key.str() == "final") {
      if (auto taken = TakeClosingKey(key.str(), node, file_.closing); !taken)
        return Fail(At(node.source(), taken.error().what));
      return {};
    }
    return Fail(At(key.source(),
                   "unknown key '" + std::string(key.str()) +
                       "' (period, penalty, fingerprints, closes, freeze and final are known)"));
  }

  Result<void> TakePeriod(const toml::node& node) {
    if (!node.is_string())
      return Fail(At(node.source(), "period must be a text such as \"2026-11-01..2026-11-30\""));
    file_.period = *node.value<std::string>();
    file_.period_line = node.source().begin.line;
    return {};
  }

  Result<void> TakePenalties(const toml::node& node) {
    const toml::array* penalties = node.as_array();
    if (penalties == nullptr || !penalties->is_array_of_tables())
      return Fail(At(node.source(), "penalty must be given as [[penalty]] tables"));
    for (const toml::node& element : *penalties) {
      if (auto taken = TakePenalty(*element.as_table()); !taken) return taken;
    }
    return {};
  }

  Result<void> TakePenalty(const toml::table& table) {
    SavedPenalty penalty;
    penalty.line = table.source().begin.line;
    bool has_entry = false, has_time = false, withdrawn = false;
    for (auto&& [key, node] : table) {
      Result<void> taken;
      if (key.str() == "entry") {
        taken = TakeEntry(node, penalty);
        has_entry = true;
      } else if (key.str() == "time") {
        taken = TakeTime(node, penalty);
        has_time = true;
      } else if (key.str() == "reason") {
        if (!node.is_string()) return Fail(At(node.source(), "reason must be a text"));
        penalty.reason = *node.value<std::string>();
      } else if (key.str() == "decided") {
        taken = TakeDecisionTime(node, penalty);
      } else if (key.str() == "by") {
        taken = TakeWho(node, penalty);
      } else if (key.str() == "withdrawn") {
        auto given = TakeWithdrawn(node, path_);
        if (!given) return Fail(given.error());
        withdrawn = *given;
      } else if (key.str() == "earlier") {
        taken = TakeEarlierDecisions(node, penalty);
      } else {
        return Fail(At(key.source(), "unknown key '" + std::string(key.str()) +
                                         "' in [[penalty]] (entry, time, reason, decided, by, "
                                         "withdrawn and earlier are known)"));
      }
      if (!taken) return taken;
    }
    if (!has_entry) return Fail(At(table.source(), "[[penalty]] without entry"));
    if (!has_time && !withdrawn) return Fail(At(table.source(), "[[penalty]] without time"));
    (withdrawn ? file_.withdrawn : file_.penalties).push_back(std::move(penalty));
    return {};
  }

  Result<void> TakeEntry(const toml::node& node, SavedPenalty& penalty) {
    if (!node.is_string())
      return Fail(At(node.source(), "entry must be the name of an entry folder"));
    penalty.entry = *node.value<std::string>();
    std::error_code ec;
    if (!record::IsEntryFolderName(penalty.entry) ||
        !std::filesystem::is_directory(base_dir_ + penalty.entry, ec))
      return Fail(
          At(node.source(), "'" + penalty.entry + "' is not an entry folder of " + base_dir_));
    for (const auto* taken : {&file_.penalties, &file_.withdrawn}) {
      const auto earlier = std::find_if(taken->begin(), taken->end(), [&](const SavedPenalty& p) {
        return p.entry == penalty.entry;
      });
      if (earlier != taken->end())
        return Fail(At(node.source(), "a second penalty for '" + penalty.entry +
                                          "' (the first is on line " +
                                          std::to_string(earlier->line) + ")"));
    }
    return {};
  }

  Result<void> TakeTime(const toml::node& node, SavedPenalty& penalty) {
    auto time = TakePenaltyTime(node, path_);
    if (!time) return Fail(time.error());
    penalty.time = std::move(*time);
    return {};
  }

  Result<void> TakeDecisionTime(const toml::node& node, SavedPenalty& penalty) {
    auto decided = TakeDecided(node, path_);
    if (!decided) return Fail(decided.error());
    penalty.decided = std::move(*decided);
    return {};
  }

  Result<void> TakeWho(const toml::node& node, SavedPenalty& penalty) {
    auto by = TakeBy(node, path_);
    if (!by) return Fail(by.error());
    penalty.by = std::move(*by);
    return {};
  }

  Result<void> TakeEarlierDecisions(const toml::node& node, SavedPenalty& penalty) {
    auto earlier = TakeEarlier(node, path_);
    if (!earlier) return Fail(earlier.error());
    penalty.earlier = std::move(*earlier);
    return {};
  }

  Result<void> TakeFingerprints(const toml::node& node) {
    const toml::table* table = node.as_table();
    if (table == nullptr) return Fail(At(node.source(), "fingerprints must be a table"));
    Fingerprints fingerprints;
    for (auto&& [key, value] : *table) {
      if (!value.is_string() || !IsFingerprint(*value.value<std::string>()))
        return Fail(At(value.source(), "the fingerprint of '" + std::string(key.str()) +
                                           "' is not \"sha256:\" and 64 hex digits"));
      fingerprints.emplace(FileNameOfKey(key.str()), *value.value<std::string>());
    }
    file_.fingerprints = std::move(fingerprints);
    return {};
  }

  const std::string& path_;
  const std::string& base_dir_;
  EvaluationFile file_;
};

}  // namespace

Result<EvaluationFile> ReadEvaluationFile(const std::string& path, const std::string& base_dir,
                                          bool missing_is_empty) {
  const auto text = ReadEvaluationText(path);
  if (!text) return Fail(text.error());
  if (!*text) {
    if (missing_is_empty) return EvaluationFile{};
    return Fail({"does not exist", path, std::nullopt});
  }
  const auto root = ParseToml(**text, path);
  if (!root) return Fail(root.error());
  return FileChecker(path, base_dir).Check(*root);
}

}  // namespace hl::evaluation
