#pragma once
// What organisers decide on the server, and the ledger that keeps every
// decision and every upload: a penalty or its withdrawal is written into the
// competition's evaluation file (as the window writes "Strafe", with who
// decided) and appended to the ledger before it is answered; "looked at"
// marks a version as seen. The queue and an entry's facts for the console
// come from here, so its pages and its JSON show the same.

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "evaluation/decision.h"
#include "server/ledger_table.h"
#include "toolkit/text/error.h"

namespace hl::server {

class EvaluationEdits;
class LiveResults;
class VersionStore;
class WebhookNotifier;

// What a decision got: 200 when done, 400 (the sentence says what is
// wrong with the request), 404 (no such entry), 409 (the evaluation file
// cannot be read, so it is left as it is; no penalty to withdraw; or the
// server runs with --no-evaluation), 500 (nothing was changed).
struct DeskAnswer {
  unsigned status = 200;
  std::string message;
};

// A row of the console's queue: the entry's latest version as evaluated.
struct QueueRow {
  std::string entry;
  int64_t version = 0;                 // 0: nothing uploaded through the server
  std::string received;                // "" without a version
  nlohmann::ordered_json time;         // milliseconds or null
  nlohmann::ordered_json place;        // provisional place or null
  std::vector<std::string> findings;   // codes
  std::optional<std::string> penalty;  // the penalty time in force
  bool looked_at = false;              // the latest version has been looked at
};

class ReviewDesk {
 public:
  using Clock = std::function<std::chrono::system_clock::time_point()>;

  // `notifier` (may be null) tells receivers of each penalty and withdrawal.
  // Decisions are written through `edits`, when given, so they are not
  // taken for edits by hand.
  ReviewDesk(std::string base_dir, std::string evaluation_file, VersionStore& store,
             LiveResults& live, Clock clock = std::chrono::system_clock::now,
             WebhookNotifier* notifier = nullptr, EvaluationEdits* edits = nullptr);

  // Organisers' decisions; each is on disk (evaluation file and ledger)
  // before it returns. The live results watch the file and follow within a
  // second, as after an edit by hand.
  DeskAnswer Penalise(const std::string& actor, const std::string& entry, const std::string& time,
                      const std::string& reason);
  DeskAnswer Withdraw(const std::string& actor, const std::string& entry,
                      const std::string& reason);
  DeskAnswer LookedAt(const std::string& actor, const std::string& entry, int64_t version);

  // Entries whose latest version nobody has looked at first, then by name.
  std::vector<QueueRow> Queue();
  // {"entry", "verdict", "versions", "decisions"}; nullopt for no such entry.
  std::optional<nlohmann::ordered_json> EntryFacts(const std::string& entry);
  // What the entrant is shown of the decisions on their entry: penalties
  // and withdrawals as [{"at", "action", "time", "reason"}], oldest first,
  // without who decided.
  nlohmann::ordered_json EntrantDecisions(const std::string& entry);
  Result<std::vector<LedgerRecord>> LedgerSince(int64_t seq);

  // The organiser whose token this is; nullopt for any other text.
  std::optional<std::string> OrganiserOfToken(std::string_view token);

 private:
  bool IsEntry(const std::string& entry) const;
  // Writes `decision` (its time and author given here) into the evaluation
  // file, then its record into the ledger.
  DeskAnswer Decide(const std::string& actor, const std::string& entry,
                    evaluation::Decision decision);

  std::string base_dir_;
  std::string evaluation_file_;
  VersionStore& store_;
  LiveResults& live_;
  Clock clock_;
  WebhookNotifier* notifier_;
  EvaluationEdits* const edits_;
  std::mutex deciding_;  // one decision at a time: each reads the file the last one wrote
};

}  // namespace hl::server
