#pragma once
// The server's database under --state (SQLite in WAL mode): the entrants'
// and organisers' token hashes, every version of every entry, the commits
// under way, the ledger and a log of the requests. One connection, used by one thread at a time.
// The file and its journals are readable by the server's user alone.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "server/ledger_table.h"
#include "server/upload_names.h"
#include "toolkit/text/error.h"

struct sqlite3;

namespace hl::server {

struct StoredFile {
  FileField field = FileField::kTrack;
  std::string name;
  uint64_t size = 0;
  std::string sha256;  // 64 lower-case hex digits
};

struct VersionRow {
  std::string entry;
  int64_t version = 0;
  std::string received;  // UTC, RFC 3339
  std::vector<StoredFile> files;
  std::optional<int64_t> time;  // as the evaluation after the upload found them
  std::optional<bool> car_ok;
};

struct LatestVersion {
  int64_t version = 0;
  std::string received;  // UTC, RFC 3339
};

struct RequestLine {
  std::string method;
  std::string path;
  unsigned status = 0;
  uint64_t bytes = 0;
  int64_t micros = 0;
};

class VersionStore {
 public:
  static Result<std::unique_ptr<VersionStore>> Open(const std::string& path);
  ~VersionStore();
  VersionStore(const VersionStore&) = delete;
  VersionStore& operator=(const VersionStore&) = delete;

  // Replaces the entrant's token (the old one stops working).
  Result<void> SetToken(const std::string& entry, const std::string& hash);
  // The entry whose token has this hash; every stored hash is compared.
  std::optional<std::string> EntryOfToken(const std::string& hash);
  bool HasToken(const std::string& entry);
  // Organisers' tokens are kept apart from entrants': neither kind opens
  // what the other does.
  Result<void> SetOrganiserToken(const std::string& name, const std::string& hash);
  std::optional<std::string> OrganiserOfToken(const std::string& hash);

  Result<int64_t> NextVersion(const std::string& entry);
  // The version and its commit to the base folder, recorded in one step.
  Result<void> AddVersion(const VersionRow& row);
  // Undoes AddVersion: the version and its commit are gone.
  Result<void> DropVersion(const std::string& entry, int64_t version);
  // The version stands: its commit ends and its upload is in the ledger.
  Result<void> EndCommit(const std::string& entry);
  std::vector<std::pair<std::string, int64_t>> CommitsUnderWay();
  std::vector<VersionRow> Versions(const std::string& entry);
  // Every entry's newest version, in one look.
  std::map<std::string, LatestVersion> LatestVersions();
  bool HasVersion(const std::string& entry, int64_t version);
  void NoteVerdict(const std::string& entry, int64_t version, std::optional<int64_t> time,
                   std::optional<bool> car_ok);

  // Appends a record (its seq is the next) and answers its seq.
  Result<int64_t> AddToLedger(const LedgerRecord& record);
  // The ledger's records after `seq`, oldest first.
  Result<std::vector<LedgerRecord>> LedgerSince(int64_t seq);
  Result<std::vector<LedgerRecord>> LedgerOf(const std::string& entry);

  void LogRequest(const RequestLine& line);

 private:
  explicit VersionStore(sqlite3* db) : db_(db) {}
  Result<void> Execute(const char* sql);
  // The first column of the query's row whose second is `hash`.
  std::optional<std::string> HolderOfHash(const char* holders_and_hashes, const std::string& hash);

  // While alive (under the lock), writes skip waiting for the disk: they
  // survive the program's end, not the machine's, which is enough for the
  // request log, a verdict's note and the end of a commit.
  class Relaxed {
   public:
    explicit Relaxed(VersionStore& store) : store_(store) {
      (void)store_.Execute("PRAGMA synchronous=NORMAL");
    }
    ~Relaxed() { (void)store_.Execute("PRAGMA synchronous=FULL"); }
    Relaxed(const Relaxed&) = delete;
    Relaxed& operator=(const Relaxed&) = delete;

   private:
    VersionStore& store_;
  };

  std::mutex mutex_;
  sqlite3* db_;
};

}  // namespace hl::server
