#pragma once
// The ledger: every upload and every organiser's decision, one record each,
// in the server's database. The database itself refuses to change or remove
// a record once written, so the ledger holds whatever happened, in order.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "toolkit/text/error.h"

struct sqlite3;

namespace hl::server {

// One line of the ledger; never changed once written.
struct LedgerRecord {
  int64_t seq = 0;
  std::string at;     // UTC, RFC 3339
  std::string actor;  // an organiser's name, "entrant", or the window's user
  std::string entry;
  std::optional<int64_t> version;
  std::string action;                // "upload", "penalty", "withdraw", "looked-at", ...
  nlohmann::ordered_json old_value;  // null when there was none
  nlohmann::ordered_json new_value;
  std::string reason;
};

// The table and the triggers that keep it append-only.
extern const char* const kLedgerSchema;

// Appends `record` (its seq is the ledger's next) and answers that seq.
Result<int64_t> AppendToLedger(sqlite3* db, const LedgerRecord& record);

// The upload of the commit under way of `entry` as a record, received when
// the version was; nothing when no commit is under way.
Result<void> AppendUploadOfCommit(sqlite3* db, const std::string& entry);

// The records after `seq`, oldest first.
Result<std::vector<LedgerRecord>> LedgerRecordsAfter(sqlite3* db, int64_t seq);

// The records of `entry`, oldest first.
Result<std::vector<LedgerRecord>> LedgerRecordsOf(sqlite3* db, const std::string& entry);

// A ledger record as one line of JSON Lines (no newline).
std::string LedgerLine(const LedgerRecord& record);

}  // namespace hl::server
