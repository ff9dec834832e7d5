#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

namespace dovra {

// Every SQLite failure surfaces as this, so one catch around a request can roll it back alone.
class DatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One use of a cached prepared statement: bind in order, step, read. The statement is reset when the
// query ends, so the next use starts clean even if this one stopped early.
class Query {
public:
    Query(sqlite3* db, sqlite3_stmt* statement) : db_(db), statement_(statement) {}
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    Query& Bind(std::int64_t value);
    Query& Bind(std::string_view text);
    Query& BindBlob(std::string_view bytes);
    Query& BindNull();

    bool Step(); // true while a row is there
    void Run();  // to the end, rows ignored

    std::int64_t Int(int column) const;
    std::string Text(int column) const; // blob or text, as bytes
    bool IsNull(int column) const;

private:
    sqlite3* db_;
    sqlite3_stmt* statement_;
    int next_ = 1;
};

class Database {
public:
    Database() = default;
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void Open(const std::filesystem::path& file);
    void Close();

    void Exec(const std::string& sql);
    // Prepared once per text and kept, since the same few statements run for every request.
    Query Prepare(const std::string& sql);

    int Changes() const; // rows the last statement wrote
    // False once SQLite has rolled back the open transaction by itself (disk full, I/O error).
    bool InTransaction() const;

private:
    sqlite3* db_ = nullptr;
    std::unordered_map<std::string, sqlite3_stmt*> statements_;
};

} // namespace dovra
