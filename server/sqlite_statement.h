#pragma once
// A prepared SQLite statement that finalizes itself, and the check of a
// step's result, for the tables of the server's database.

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>

#include "toolkit/text/error.h"

namespace hl::server {

class Statement {
 public:
  Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr); }
  ~Statement() { sqlite3_finalize(statement_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(int index, const std::string& text) {
    sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()),
                      SQLITE_TRANSIENT);
    return *this;
  }
  Statement& Bind(int index, int64_t value) {
    sqlite3_bind_int64(statement_, index, value);
    return *this;
  }
  Statement& BindOptional(int index, std::optional<int64_t> value) {
    if (value) return Bind(index, *value);
    sqlite3_bind_null(statement_, index);
    return *this;
  }
  // SQLITE_ROW, SQLITE_DONE or an error code.
  int Step() { return statement_ ? sqlite3_step(statement_) : SQLITE_ERROR; }
  std::string Text(int column) {
    const auto* text = sqlite3_column_text(statement_, column);
    return text ? reinterpret_cast<const char*>(text) : "";
  }
  int64_t Integer(int column) { return sqlite3_column_int64(statement_, column); }
  bool IsNull(int column) { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }

 private:
  sqlite3_stmt* statement_ = nullptr;
};

inline Result<void> Done(sqlite3* db, int code) {
  if (code == SQLITE_DONE || code == SQLITE_ROW) return {};
  return Fail(
      {std::string("the database refused a change: ") + sqlite3_errmsg(db), "", std::nullopt});
}

}  // namespace hl::server
