#pragma once
// Re-evaluation as a set: an organiser proposes another evaluation file (or
// none: the folder and the program as they are now), sees every entry whose
// verdict or place it would change, and applies it with a reason or
// discards it. Until applied, every public view and the evaluation file
// stay as they are; a preview runs the whole competition beside the live
// results, never in their place. Each step is one ledger record.

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <variant>

#include <nlohmann/json.hpp>

#include "server/entry_commit.h"
#include "server/evaluation_edits.h"
#include "server/live_results.h"
#include "server/version_store.h"

namespace hl::server {

// 200 with `body` when done; otherwise the status and a sentence saying
// why: 400 (the request or the proposal), 404 (no such preview), 409 (the
// evaluation file changed since the preview, or cannot be kept), 413, 500,
// 503 (another preview is under way).
struct ReevaluationAnswer {
  unsigned status = 200;
  std::string message;
  nlohmann::ordered_json body = nullptr;
};

class Reevaluations {
 public:
  using Clock = std::function<std::chrono::system_clock::time_point()>;

  // Previews waiting to be applied or discarded; a new one beyond them
  // forgets the oldest.
  static constexpr size_t kKept = 4;
  static constexpr size_t kLargestProposal = 4u << 20;

  Reevaluations(const StateFolders& folders, std::string evaluation_file, VersionStore& store,
                LiveResults& live, EvaluationEdits& edits,
                Clock clock = std::chrono::system_clock::now);

  // Runs the competition with `proposal` (the text of an evaluation file;
  // nullopt: the file as it is) and answers {"id", "changes"}. One preview
  // runs at a time.
  ReevaluationAnswer Preview(const std::string& actor, const std::optional<std::string>& proposal);
  // Writes the proposal as the evaluation file and makes its results
  // public; refused when the file changed since the preview.
  ReevaluationAnswer Apply(const std::string& actor, const std::string& id,
                           const std::string& reason);
  // Forgets the preview; the reason is optional.
  ReevaluationAnswer Discard(const std::string& actor, const std::string& id,
                             const std::string& reason);
  // {"id", "evaluation" (the proposed text, or null for none), "changes"};
  // nullopt for no such preview.
  std::optional<nlohmann::ordered_json> Shown(const std::string& id) const;

 private:
  struct Proposal {
    std::string id;
    std::optional<std::string> text;       // nullopt: the file as it is
    std::optional<std::string> file_hash;  // of the evaluation file when previewed
    // As compact JSON: the changes of a few previews at 5,000 entrants
    // would weigh several times as much as values.
    std::string changes;
    size_t changed = 0;  // how many entries change
  };

  // The verdicts the proposal gives; a refusal when it cannot run.
  std::variant<std::shared_ptr<Evaluated>, ReevaluationAnswer> Evaluate(
      const std::optional<std::string>& text);
  std::optional<Proposal> Take(const std::string& id);
  void Keep(Proposal proposal);
  Result<int64_t> Record(const std::string& actor, const std::string& action,
                         nlohmann::ordered_json old_value, nlohmann::ordered_json new_value,
                         const std::string& reason);

  const StateFolders& folders_;
  const std::string evaluation_file_;
  VersionStore& store_;
  LiveResults& live_;
  EvaluationEdits& edits_;
  Clock clock_;
  std::mutex previewing_;  // held by the preview under way, which has the preview folder
  mutable std::mutex mutex_;
  std::deque<Proposal> proposals_;  // oldest first; under `mutex_`
};

}  // namespace hl::server
