#include "server/ledger_table.h"

#include "server/sqlite_statement.h"

namespace hl::server {

using Json = nlohmann::ordered_json;

namespace {

// Written by AppendToLedger from JSON; anything else reads as none.
Json JsonOrNull(const std::string& text) {
  Json value = Json::parse(text, nullptr, false);
  return value.is_discarded() ? Json() : value;
}

// The records `query` selects (every column, in the table's order).
Result<std::vector<LedgerRecord>> RecordsOf(sqlite3* db, Statement& query) {
  std::vector<LedgerRecord> records;
  int step = SQLITE_ROW;
  while ((step = query.Step()) == SQLITE_ROW) {
    LedgerRecord record;
    record.seq = query.Integer(0);
    record.at = query.Text(1);
    record.actor = query.Text(2);
    record.entry = query.Text(3);
    if (!query.IsNull(4)) record.version = query.Integer(4);
    record.action = query.Text(5);
    record.old_value = JsonOrNull(query.Text(6));
    record.new_value = JsonOrNull(query.Text(7));
    record.reason = query.Text(8);
    records.push_back(std::move(record));
  }
  if (auto done = Done(db, step); !done) return Fail(done.error());
  return records;
}

}  // namespace

const char* const kLedgerSchema =
    "CREATE TABLE IF NOT EXISTS ledger(seq INTEGER PRIMARY KEY AUTOINCREMENT, at TEXT NOT NULL,"
    " actor TEXT NOT NULL, entry TEXT NOT NULL, version INTEGER, action TEXT NOT NULL,"
    " old TEXT NOT NULL, new TEXT NOT NULL, reason TEXT NOT NULL);"
    "CREATE INDEX IF NOT EXISTS ledger_of_entry ON ledger(entry, seq);"
    "CREATE TRIGGER IF NOT EXISTS ledger_kept BEFORE UPDATE ON ledger"
    " BEGIN SELECT RAISE(ABORT, 'the ledger is never changed'); END;"
    "CREATE TRIGGER IF NOT EXISTS ledger_whole BEFORE DELETE ON ledger"
    " BEGIN SELECT RAISE(ABORT, 'the ledger is never shortened'); END;";

Result<int64_t> AppendToLedger(sqlite3* db, const LedgerRecord& record) {
  Statement append(db,
                   "INSERT INTO ledger(at, actor, entry, version, action, old, new, reason)"
                   " VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
  auto done = Done(db, append.Bind(1, record.at)
                           .Bind(2, record.actor)
                           .Bind(3, record.entry)
                           .BindOptional(4, record.version)
                           .Bind(5, record.action)
                           .Bind(6, record.old_value.dump())
                           .Bind(7, record.new_value.dump())
                           .Bind(8, record.reason)
                           .Step());
  if (!done) return Fail(done.error());
  return sqlite3_last_insert_rowid(db);
}

Result<void> AppendUploadOfCommit(sqlite3* db, const std::string& entry) {
  Statement append(db,
                   "INSERT INTO ledger(at, actor, entry, version, action, old, new, reason)"
                   " SELECT v.received, 'entrant', c.entry, c.version, 'upload', 'null', 'null', ''"
                   " FROM commits c JOIN versions v ON v.entry = c.entry AND v.version = c.version"
                   " WHERE c.entry = ?1");
  return Done(db, append.Bind(1, entry).Step());
}

Result<std::vector<LedgerRecord>> LedgerRecordsAfter(sqlite3* db, int64_t seq) {
  Statement query(db,
                  "SELECT seq, at, actor, entry, version, action, old, new, reason FROM ledger"
                  " WHERE seq > ?1 ORDER BY seq");
  query.Bind(1, seq);
  return RecordsOf(db, query);
}

Result<std::vector<LedgerRecord>> LedgerRecordsOf(sqlite3* db, const std::string& entry) {
  Statement query(db,
                  "SELECT seq, at, actor, entry, version, action, old, new, reason FROM ledger"
                  " WHERE entry = ?1 ORDER BY seq");
  query.Bind(1, entry);
  return RecordsOf(db, query);
}

std::string LedgerLine(const LedgerRecord& record) {
  const Json line = {{"seq", record.seq},
                     {"at", record.at},
                     {"actor", record.actor},
                     {"entry", record.entry},
                     {"version", record.version ? Json(*record.version) : Json()},
                     {"action", record.action},
                     {"old", record.old_value},
                     {"new", record.new_value},
                     {"reason", record.reason}};
  return line.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace hl::server
