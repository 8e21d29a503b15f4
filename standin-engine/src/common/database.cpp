#include "database.h"

#include <chrono>
#include <thread>

#include "cli.h"

namespace {

[[noreturn]] void fail(sqlite3* db, int result) {
  throw_if_stopped();
  if (result == SQLITE_BUSY || result == SQLITE_LOCKED)
    throw Failure("Quorvane Home is busy with another computer; try again in a moment.");
  throw Failure(std::string("The catalogue could not be used: ") +
                (db ? sqlite3_errmsg(db) : sqlite3_errstr(result)) + ".");
}

int wait_while_locked(void*, int attempts) {
  if (stop_requested() || attempts >= 1000) return 0;
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return 1;
}

}  // namespace

Statement::Statement(sqlite3* db, std::string_view sql)
    : db_(db), statement_(nullptr, sqlite3_finalize) {
  sqlite3_stmt* raw = nullptr;
  int result = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &raw, nullptr);
  statement_.reset(raw);
  check(result);
}

bool Statement::step() {
  int result = sqlite3_step(statement_.get());
  if (result == SQLITE_ROW) return true;
  if (result != SQLITE_DONE) fail(db_, result);
  return false;
}

std::string Statement::text(int column) const {
  auto* bytes = sqlite3_column_text(statement_.get(), column);
  return bytes ? std::string(reinterpret_cast<const char*>(bytes),
                             static_cast<size_t>(sqlite3_column_bytes(statement_.get(), column)))
               : std::string();
}

std::optional<std::string> Statement::optional_text(int column) const {
  if (sqlite3_column_type(statement_.get(), column) == SQLITE_NULL) return std::nullopt;
  return text(column);
}

std::optional<int64_t> Statement::optional_integer(int column) const {
  if (sqlite3_column_type(statement_.get(), column) == SQLITE_NULL) return std::nullopt;
  return integer(column);
}

void Statement::bind_one(int index, double value) {
  check(sqlite3_bind_double(statement_.get(), index, value));
}

void Statement::bind_one(int index, std::string_view value) {
  check(sqlite3_bind_text(statement_.get(), index, value.data(), static_cast<int>(value.size()),
                          SQLITE_TRANSIENT));
}

void Statement::bind_one(int index, const std::optional<std::string>& value) {
  if (value) return bind_one(index, std::string_view(*value));
  check(sqlite3_bind_null(statement_.get(), index));
}

void Statement::bind_one(int index, const std::optional<int64_t>& value) {
  if (value) return bind_one(index, *value);
  check(sqlite3_bind_null(statement_.get(), index));
}

void Statement::check(int result) const {
  if (result != SQLITE_OK) fail(db_, result);
}

Database::Database(const std::filesystem::path& file, Create create, Journal journal)
    : db_(nullptr, sqlite3_close) {
  sqlite3* raw = nullptr;
  int flags = SQLITE_OPEN_READWRITE | (create == Create::yes ? SQLITE_OPEN_CREATE : 0);
  int result = sqlite3_open_v2(file.c_str(), &raw, flags, nullptr);
  db_.reset(raw);
  if (result != SQLITE_OK) fail(raw, result);
  sqlite3_busy_handler(raw, wait_while_locked, nullptr);
  execute(journal == Journal::write_ahead
              ? "PRAGMA journal_mode = WAL; PRAGMA foreign_keys = ON"
              : "PRAGMA journal_mode = DELETE; PRAGMA foreign_keys = ON");
}

void Database::roll_back() noexcept {
  sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Database::execute(const char* sql) {
  int result = sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr);
  if (result != SQLITE_OK) fail(db_.get(), result);
}

Transaction::Transaction(Database& db) : db_(db) {
  db_.execute("BEGIN IMMEDIATE");
}

Transaction::~Transaction() {
  if (open_) db_.roll_back();
}

void Transaction::commit() {
  db_.execute("COMMIT");
  open_ = false;
}
