// SQLite, thinly: prepared statements, transactions, and errors as sentences.
#pragma once

#include <sqlite3.h>

#include <concepts>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class Statement {
 public:
  Statement(sqlite3* db, std::string_view sql);
  template <typename... Values>
  Statement& bind(const Values&... values) {
    int index = 0;
    (bind_one(++index, values), ...);
    return *this;
  }
  // Runs to the next row; false when there is none.
  bool step();
  int64_t integer(int column) const { return sqlite3_column_int64(statement_.get(), column); }
  double real(int column) const { return sqlite3_column_double(statement_.get(), column); }
  std::string text(int column) const;
  std::optional<std::string> optional_text(int column) const;
  std::optional<int64_t> optional_integer(int column) const;

 private:
  template <std::integral Integer>
  void bind_one(int index, Integer value) {
    check(sqlite3_bind_int64(statement_.get(), index, static_cast<int64_t>(value)));
  }
  void bind_one(int index, double value);
  void bind_one(int index, std::string_view value);
  void bind_one(int index, const std::string& value) { bind_one(index, std::string_view(value)); }
  void bind_one(int index, const char* value) { bind_one(index, std::string_view(value)); }
  void bind_one(int index, const std::optional<std::string>& value);
  void bind_one(int index, const std::optional<int64_t>& value);
  void check(int result) const;

  sqlite3* db_;
  std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement_;
};

class Database {
 public:
  enum class Create { no, yes };
  // The write-ahead log lets readers go on while one writer commits; only for a
  // database on a local disk. The rollback journal works on any file system.
  enum class Journal { rollback, write_ahead };
  // A locked database is waited for, up to ten seconds or until a stop signal.
  Database(const std::filesystem::path& file, Create create, Journal journal = Journal::rollback);
  void execute(const char* sql);
  void roll_back() noexcept;
  template <typename... Values>
  Statement query(std::string_view sql, const Values&... values) {
    Statement statement(db_.get(), sql);
    statement.bind(values...);
    return statement;
  }
  template <typename... Values>
  void run(std::string_view sql, const Values&... values) {
    query(sql, values...).step();
  }
  int64_t last_insert_id() const { return sqlite3_last_insert_rowid(db_.get()); }
  int changes() const { return sqlite3_changes(db_.get()); }

 private:
  std::unique_ptr<sqlite3, int (*)(sqlite3*)> db_;
};

// BEGIN IMMEDIATE: takes the write lock at once, so two writers never deadlock.
// Rolled back unless committed.
class Transaction {
 public:
  explicit Transaction(Database& db);
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  ~Transaction();
  void commit();

 private:
  Database& db_;
  bool open_ = true;
};
