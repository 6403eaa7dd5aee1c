#include "server/evaluation_edits.h"

#include "evaluation/decision.h"
#include "server/request_checks.h"
#include "toolkit/files/sha256.h"

namespace hl::server {

using Json = nlohmann::ordered_json;

std::optional<std::string> EvaluationFileHash(const std::string& path) {
  if (path.empty()) return std::nullopt;
  const auto digest = files::Sha256OfFile(path);
  return digest ? std::optional(files::Sha256Text(*digest)) : std::nullopt;
}

EvaluationEdits::EvaluationEdits(std::string file, VersionStore& store, std::ostream& log,
                                 Clock clock)
    : file_(std::move(file)),
      store_(store),
      log_(log),
      clock_(std::move(clock)),
      known_(EvaluationFileHash(file_)) {}

void EvaluationEdits::Look() {
  std::lock_guard lock(mutex_);
  RecordHandEdit();
}

void EvaluationEdits::RecordHandEdit() {
  const std::optional<std::string> now = EvaluationFileHash(file_);
  if (now == known_) return;
  const auto hash_json = [](const std::optional<std::string>& hash) {
    return hash ? Json(*hash) : Json();
  };
  const LedgerRecord record{.seq = 0,
                            .at = evaluation::DecidedText(clock_()),
                            .actor = "file",
                            .entry = "",
                            .version = std::nullopt,
                            .action = "evaluation-changed",
                            .old_value = hash_json(known_),
                            .new_value = hash_json(now),
                            .reason = ""};
  known_ = now;
  if (auto added = store_.AddToLedger(record); !added)
    log_ << ("hotlap-eval: the evaluation file changed, but the ledger did not take it: " +
             LogSafe(added.error().Describe()) + "\n")
         << std::flush;
}

}  // namespace hl::server
