#include "server/Database.h"

#include <sqlite3.h>

namespace dovra {

namespace {

[[noreturn]] void Fail(sqlite3* db, const std::string& what) {
    throw DatabaseError(what + ": " + (db != nullptr ? sqlite3_errmsg(db) : "out of memory"));
}

} // namespace

Query::~Query() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

Query& Query::Bind(std::int64_t value) {
    if (sqlite3_bind_int64(statement_, next_++, value) != SQLITE_OK) {
        Fail(db_, "bind");
    }
    return *this;
}

Query& Query::Bind(std::string_view text) {
    if (sqlite3_bind_text(statement_, next_++, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT) != SQLITE_OK) {
        Fail(db_, "bind");
    }
    return *this;
}

Query& Query::BindBlob(std::string_view bytes) {
    if (sqlite3_bind_blob(statement_, next_++, bytes.data(), static_cast<int>(bytes.size()),
                          SQLITE_TRANSIENT) != SQLITE_OK) {
        Fail(db_, "bind");
    }
    return *this;
}

Query& Query::BindNull() {
    if (sqlite3_bind_null(statement_, next_++) != SQLITE_OK) {
        Fail(db_, "bind");
    }
    return *this;
}

bool Query::Step() {
    int rc = sqlite3_step(statement_);
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc == SQLITE_DONE) {
        return false;
    }
    Fail(db_, sqlite3_sql(statement_));
}

void Query::Run() {
    while (Step()) {
    }
}

std::int64_t Query::Int(int column) const {
    return sqlite3_column_int64(statement_, column);
}

std::string Query::Text(int column) const {
    const void* bytes = sqlite3_column_blob(statement_, column);
    int size = sqlite3_column_bytes(statement_, column);
    return bytes != nullptr ? std::string(static_cast<const char*>(bytes), static_cast<size_t>(size))
                            : std::string();
}

bool Query::IsNull(int column) const {
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

Database::~Database() {
    Close();
}

void Database::Open(const std::filesystem::path& file) {
    Close();
    int rc =
        sqlite3_open_v2(file.string().c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory";
        Close();
        throw DatabaseError("cannot open " + file.string() + ": " + message);
    }
    sqlite3_extended_result_codes(db_, 1);
}

void Database::Close() {
    for (auto& [sql, statement] : statements_) {
        sqlite3_finalize(statement);
    }
    statements_.clear();
    if (db_ != nullptr) {
        sqlite3_close(db_);
        db_ = nullptr;
    }
}

void Database::Exec(const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        std::string text = message != nullptr ? message : sqlite3_errmsg(db_);
        sqlite3_free(message);
        throw DatabaseError(text);
    }
}

int Database::Changes() const {
    return sqlite3_changes(db_);
}

bool Database::InTransaction() const {
    return db_ != nullptr && sqlite3_get_autocommit(db_) == 0;
}

Query Database::Prepare(const std::string& sql) {
    auto found = statements_.find(sql);
    if (found == statements_.end()) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v3(db_, sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                               &statement, nullptr) != SQLITE_OK) {
            Fail(db_, "prepare " + sql);
        }
        found = statements_.emplace(sql, statement).first;
    }
    return Query(db_, found->second);
}

} // namespace dovra
