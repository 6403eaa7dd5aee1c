#include "server/version_store.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <nlohmann/json.hpp>

#include "evaluation/closing_time.h"
#include "server/access_token.h"
#include "server/sqlite_statement.h"

namespace hl::server {
namespace {

constexpr const char* kSchema =
    "PRAGMA journal_mode=WAL;"
    "PRAGMA synchronous=FULL;"
    "CREATE TABLE IF NOT EXISTS tokens(entry TEXT PRIMARY KEY, hash TEXT NOT NULL);"
    "CREATE TABLE IF NOT EXISTS organisers(name TEXT PRIMARY KEY, hash TEXT NOT NULL);"
    "CREATE TABLE IF NOT EXISTS versions(entry TEXT NOT NULL, version INTEGER NOT NULL,"
    " received TEXT NOT NULL, files TEXT NOT NULL, time INTEGER, car_ok INTEGER,"
    " PRIMARY KEY(entry, version));"
    "CREATE TABLE IF NOT EXISTS commits(entry TEXT PRIMARY KEY, version INTEGER NOT NULL);"
    "CREATE TABLE IF NOT EXISTS requests(at TEXT NOT NULL, method TEXT, path TEXT,"
    " status INTEGER, bytes INTEGER, micros INTEGER);";

std::string FilesText(const std::vector<StoredFile>& files) {
  nlohmann::json list = nlohmann::json::array();
  for (const StoredFile& file : files) {
    list.push_back({{"field", FieldName(file.field)},
                    {"name", file.name},
                    {"size", file.size},
                    {"sha256", file.sha256}});
  }
  return list.dump();
}

std::vector<StoredFile> FilesOfText(const std::string& text) {
  std::vector<StoredFile> files;
  const nlohmann::json list = nlohmann::json::parse(text, nullptr, false);
  if (!list.is_array()) return files;
  for (const nlohmann::json& item : list) {
    const auto field = FieldOfName(item.value("field", ""));
    if (!field) continue;
    files.push_back({*field, item.value("name", ""), item.value("size", uint64_t{0}),
                     item.value("sha256", "")});
  }
  return files;
}

// The database and its journals are the server's alone; SQLite gives the
// journals the database file's mode.
bool MakePrivate(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return false;
  const bool done = fchmod(fd, 0600) == 0;
  close(fd);
  for (const char* journal : {"-wal", "-shm"}) chmod((path + journal).c_str(), 0600);
  return done;
}

}  // namespace

Result<std::unique_ptr<VersionStore>> VersionStore::Open(const std::string& path) {
  if (!MakePrivate(path))
    return Fail(
        {"cannot create the database: " + std::string(std::strerror(errno)), path, std::nullopt});
  sqlite3* db = nullptr;
  const int opened =
      sqlite3_open_v2(path.c_str(), &db,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
  if (opened != SQLITE_OK) {
    std::string why = db ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_close(db);
    return Fail({"cannot open the database: " + why, path, std::nullopt});
  }
  sqlite3_busy_timeout(db, 5000);
  std::unique_ptr<VersionStore> store(new VersionStore(db));
  for (const char* schema : {kSchema, kLedgerSchema}) {
    if (auto made = store->Execute(schema); !made)
      return Fail({made.error().what, path, std::nullopt});
  }
  return store;
}

VersionStore::~VersionStore() { sqlite3_close(db_); }

Result<void> VersionStore::Execute(const char* sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK) return {};
  std::string why = message ? message : "unknown error";
  sqlite3_free(message);
  return Fail({"the database refused a change: " + why, "", std::nullopt});
}

Result<void> VersionStore::SetToken(const std::string& entry, const std::string& hash) {
  std::lock_guard lock(mutex_);
  Statement set(db_,
                "INSERT INTO tokens(entry, hash) VALUES(?1, ?2)"
                " ON CONFLICT(entry) DO UPDATE SET hash = excluded.hash");
  return Done(db_, set.Bind(1, entry).Bind(2, hash).Step());
}

std::optional<std::string> VersionStore::EntryOfToken(const std::string& hash) {
  std::lock_guard lock(mutex_);
  return HolderOfHash("SELECT entry, hash FROM tokens", hash);
}

Result<void> VersionStore::SetOrganiserToken(const std::string& name, const std::string& hash) {
  std::lock_guard lock(mutex_);
  Statement set(db_,
                "INSERT INTO organisers(name, hash) VALUES(?1, ?2)"
                " ON CONFLICT(name) DO UPDATE SET hash = excluded.hash");
  return Done(db_, set.Bind(1, name).Bind(2, hash).Step());
}

std::optional<std::string> VersionStore::OrganiserOfToken(const std::string& hash) {
  std::lock_guard lock(mutex_);
  return HolderOfHash("SELECT name, hash FROM organisers", hash);
}

std::optional<std::string> VersionStore::HolderOfHash(const char* holders_and_hashes,
                                                      const std::string& hash) {
  Statement all(db_, holders_and_hashes);
  std::optional<std::string> found;
  while (all.Step() == SQLITE_ROW) {
    // No early exit: the time taken does not tell how far the search got.
    if (SameHash(all.Text(1), hash)) found = all.Text(0);
  }
  return found;
}

bool VersionStore::HasToken(const std::string& entry) {
  std::lock_guard lock(mutex_);
  Statement query(db_, "SELECT 1 FROM tokens WHERE entry = ?1");
  return query.Bind(1, entry).Step() == SQLITE_ROW;
}

Result<int64_t> VersionStore::NextVersion(const std::string& entry) {
  std::lock_guard lock(mutex_);
  Statement query(db_, "SELECT COALESCE(MAX(version), 0) + 1 FROM versions WHERE entry = ?1");
  if (query.Bind(1, entry).Step() != SQLITE_ROW)
    return Fail(
        {std::string("the database cannot be read: ") + sqlite3_errmsg(db_), "", std::nullopt});
  return query.Integer(0);
}

Result<void> VersionStore::AddVersion(const VersionRow& row) {
  std::lock_guard lock(mutex_);
  if (auto begun = Execute("BEGIN IMMEDIATE"); !begun) return begun;
  Statement version(db_,
                    "INSERT INTO versions(entry, version, received, files)"
                    " VALUES(?1, ?2, ?3, ?4)");
  Statement commit(db_, "INSERT OR REPLACE INTO commits(entry, version) VALUES(?1, ?2)");
  auto added = Done(db_, version.Bind(1, row.entry)
                             .Bind(2, row.version)
                             .Bind(3, row.received)
                             .Bind(4, FilesText(row.files))
                             .Step());
  if (added) added = Done(db_, commit.Bind(1, row.entry).Bind(2, row.version).Step());
  if (added) added = Execute("COMMIT");
  if (!added) {
    // The failure that made the rollback necessary is the one worth telling.
    (void)Execute("ROLLBACK");
    return added;
  }
  return {};
}

Result<void> VersionStore::DropVersion(const std::string& entry, int64_t version) {
  std::lock_guard lock(mutex_);
  if (auto begun = Execute("BEGIN IMMEDIATE"); !begun) return begun;
  Statement drop(db_, "DELETE FROM versions WHERE entry = ?1 AND version = ?2");
  Statement commit(db_, "DELETE FROM commits WHERE entry = ?1 AND version = ?2");
  auto dropped = Done(db_, drop.Bind(1, entry).Bind(2, version).Step());
  if (dropped) dropped = Done(db_, commit.Bind(1, entry).Bind(2, version).Step());
  if (dropped) dropped = Execute("COMMIT");
  if (!dropped) {
    (void)Execute("ROLLBACK");
    return dropped;
  }
  return {};
}

// The upload goes into the ledger as its commit ends, so a commit undone
// leaves no record of it. A commit whose end is lost with the machine is
// found in place and ended at the next start, its record with it, so this
// write need not wait for the disk; a later write that does wait brings it
// along, as the journal is written in order.
Result<void> VersionStore::EndCommit(const std::string& entry) {
  std::lock_guard lock(mutex_);
  const Relaxed relaxed(*this);
  if (auto begun = Execute("BEGIN IMMEDIATE"); !begun) return begun;
  Statement end(db_, "DELETE FROM commits WHERE entry = ?1");
  auto ended = AppendUploadOfCommit(db_, entry);
  if (ended) ended = Done(db_, end.Bind(1, entry).Step());
  if (ended) ended = Execute("COMMIT");
  if (!ended) {
    (void)Execute("ROLLBACK");
    return ended;
  }
  return {};
}

std::vector<std::pair<std::string, int64_t>> VersionStore::CommitsUnderWay() {
  std::lock_guard lock(mutex_);
  Statement query(db_, "SELECT entry, version FROM commits ORDER BY entry");
  std::vector<std::pair<std::string, int64_t>> commits;
  while (query.Step() == SQLITE_ROW) commits.emplace_back(query.Text(0), query.Integer(1));
  return commits;
}

std::vector<VersionRow> VersionStore::Versions(const std::string& entry) {
  std::lock_guard lock(mutex_);
  Statement query(db_,
                  "SELECT version, received, files, time, car_ok FROM versions"
                  " WHERE entry = ?1 ORDER BY version");
  query.Bind(1, entry);
  std::vector<VersionRow> rows;
  while (query.Step() == SQLITE_ROW) {
    VersionRow row;
    row.entry = entry;
    row.version = query.Integer(0);
    row.received = query.Text(1);
    row.files = FilesOfText(query.Text(2));
    if (!query.IsNull(3)) row.time = query.Integer(3);
    if (!query.IsNull(4)) row.car_ok = query.Integer(4) != 0;
    rows.push_back(std::move(row));
  }
  return rows;
}

std::map<std::string, LatestVersion> VersionStore::LatestVersions() {
  std::lock_guard lock(mutex_);
  // SQLite takes `received` from the row that has the MAX.
  Statement query(db_, "SELECT entry, MAX(version), received FROM versions GROUP BY entry");
  std::map<std::string, LatestVersion> latest;
  while (query.Step() == SQLITE_ROW)
    latest.emplace(query.Text(0), LatestVersion{query.Integer(1), query.Text(2)});
  return latest;
}

bool VersionStore::HasVersion(const std::string& entry, int64_t version) {
  std::lock_guard lock(mutex_);
  Statement query(db_, "SELECT 1 FROM versions WHERE entry = ?1 AND version = ?2");
  return query.Bind(1, entry).Bind(2, version).Step() == SQLITE_ROW;
}

void VersionStore::NoteVerdict(const std::string& entry, int64_t version,
                               std::optional<int64_t> time, std::optional<bool> car_ok) {
  std::lock_guard lock(mutex_);
  const Relaxed relaxed(*this);
  Statement note(db_,
                 "UPDATE versions SET time = ?3, car_ok = ?4 WHERE entry = ?1 AND version = ?2");
  std::optional<int64_t> ok;
  if (car_ok) ok = *car_ok ? 1 : 0;
  note.Bind(1, entry).Bind(2, version).BindOptional(3, time).BindOptional(4, ok).Step();
}

Result<int64_t> VersionStore::AddToLedger(const LedgerRecord& record) {
  std::lock_guard lock(mutex_);
  return AppendToLedger(db_, record);
}

Result<std::vector<LedgerRecord>> VersionStore::LedgerSince(int64_t seq) {
  std::lock_guard lock(mutex_);
  return LedgerRecordsAfter(db_, seq);
}

Result<std::vector<LedgerRecord>> VersionStore::LedgerOf(const std::string& entry) {
  std::lock_guard lock(mutex_);
  return LedgerRecordsOf(db_, entry);
}

void VersionStore::LogRequest(const RequestLine& line) {
  std::lock_guard lock(mutex_);
  const Relaxed relaxed(*this);
  Statement log(db_,
                "INSERT INTO requests(at, method, path, status, bytes, micros)"
                " VALUES(?1, ?2, ?3, ?4, ?5, ?6)");
  log.Bind(1, evaluation::Rfc3339Utc(time(nullptr)))
      .Bind(2, line.method)
      .Bind(3, line.path)
      .Bind(4, int64_t{line.status})
      .Bind(5, static_cast<int64_t>(line.bytes))
      .Bind(6, line.micros)
      .Step();
}

}  // namespace hl::server
