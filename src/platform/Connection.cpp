#include "platform/Connection.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <exception>
#include <iterator>
#include <system_error>
#include <thread>

#include "platform/FileSystem.h"
#include "platform/Program.h"
#include "platform/RuntimeError.h"
#include "platform/Text.h"

namespace {

// How long a statement waits for another connection's lock (another copy of the program, a
// backup tool) before it gives up with "database is locked".
int BusyTimeoutMs() { return Program::ScaledMs(5000); }

// A write transaction keeps the pages it changes in memory until it commits: SQLite's page cache
// grows to this for it, since a page spilt to the file before the commit costs a sync of the
// journal and a write of its own, and shrinks back after.
constexpr long long kWriteCacheKiB = 256 << 10;

// SQLite's result codes that speak of the database as a whole rather than of one statement.
RuntimeError::Kind KindOf(int resultCode) {
    switch (resultCode & 0xff) {
        case SQLITE_READONLY: return RuntimeError::Kind::ReadOnly;  // the file, or its folder, refuses writes
        case SQLITE_PERM:
        case SQLITE_IOERR:  // the disk failed
        case SQLITE_FULL:
        case SQLITE_CANTOPEN:  // the file, or its journal, cannot be opened
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB: return RuntimeError::Kind::WholeDatabase;
        case SQLITE_BUSY:  // another program's lock outlasted the busy time-out
        case SQLITE_LOCKED: return RuntimeError::Kind::InUse;
        default: return RuntimeError::Kind::Step;
    }
}

RuntimeError Failure(sqlite3* db, int resultCode) {
    RuntimeError failure(ErrorNumber::DatabaseFailure, sqlite3_errmsg(db), KindOf(resultCode));
    // SQLite tells a full disk by its own code, but a spent quota or a file past the largest size
    // allowed only as an I/O error: the system's error number says which.
    const int code = resultCode & 0xff;
    failure.noRoom = code == SQLITE_FULL || (code == SQLITE_IOERR && FileSystem::NoRoom(sqlite3_system_errno(db)));
    return failure;
}

struct Statement {
    sqlite3_stmt* stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};

void Bind(sqlite3_stmt* stmt, int index, const Value& v) {
    const auto& raw = v.Raw();
    switch (raw.index()) {
        case 0: sqlite3_bind_null(stmt, index); break;
        case 1: sqlite3_bind_int64(stmt, index, std::get<std::int64_t>(raw)); break;
        case 2: sqlite3_bind_double(stmt, index, std::get<double>(raw)); break;
        default: {
            const std::string& s = std::get<std::string>(raw);
            sqlite3_bind_text(stmt, index, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
        }
    }
}

Value ColumnValue(sqlite3_stmt* stmt, int i) {
    switch (sqlite3_column_type(stmt, i)) {
        case SQLITE_INTEGER: return Value(static_cast<long long>(sqlite3_column_int64(stmt, i)));
        case SQLITE_FLOAT: return Value(sqlite3_column_double(stmt, i));
        case SQLITE_NULL: return Value();
        default: {
            auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
            return Value(std::string(text, sqlite3_column_bytes(stmt, i)));
        }
    }
}

Value ArgValue(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
        case SQLITE_INTEGER: return Value(static_cast<long long>(sqlite3_value_int64(v)));
        case SQLITE_FLOAT: return Value(sqlite3_value_double(v));
        case SQLITE_NULL: return Value();
        default: {
            auto* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
            return Value(std::string(text, sqlite3_value_bytes(v)));
        }
    }
}

void CallFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    auto* fn = static_cast<Connection::Function*>(sqlite3_user_data(ctx));
    std::vector<Value> args;
    args.reserve(argc);
    for (int i = 0; i < argc; ++i) args.push_back(ArgValue(argv[i]));
    try {
        Value r = (*fn)(args);
        const auto& raw = r.Raw();
        switch (raw.index()) {
            case 0: sqlite3_result_null(ctx); break;
            case 1: sqlite3_result_int64(ctx, std::get<std::int64_t>(raw)); break;
            case 2: sqlite3_result_double(ctx, std::get<double>(raw)); break;
            default: {
                const std::string& s = std::get<std::string>(raw);
                sqlite3_result_text(ctx, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
            }
        }
    } catch (const std::exception& e) {
        sqlite3_result_error(ctx, e.what(), -1);
    }
}

}  // namespace

Connection::~Connection() { Close(); }

void Connection::Fail() const {
    if (!db_) throw RuntimeError(ErrorNumber::DatabaseFailure, "The database is not open.");
    throw Failure(db_, sqlite3_errcode(db_));
}

void Connection::Open(const std::string& path, bool create, bool readOnly) {
    Close();
    // One thread at a time uses a connection: SQLite need not lock it around every call.
    int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX |
                (create ? SQLITE_OPEN_CREATE : 0);
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::string message = db ? sqlite3_errmsg(db) : "out of memory";
        if (rc == SQLITE_CANTOPEN) message = "Could not find file '" + path + "'.";
        sqlite3_close(db);
        throw RuntimeError(ErrorNumber::DatabaseFailure, message, KindOf(rc));
    }
    db_ = db;
    self_ = std::make_shared<Connection*>(this);
    path_ = path;
    SetBusyTimeout(BusyTimeoutMs());
    sqlite3_extended_result_codes(db_, 0);
    // Reading the schema proves the file really is a database; a text file fails here.
    try {
        Execute("SELECT count(*) FROM sqlite_master");
        restingCache_ = Query("PRAGMA cache_size").Field(0).ToLong();
    } catch (...) {
        Close();
        throw;
    }
}

void Connection::SetBusyTimeout(int ms) {
    busyTimeoutMs_ = ms;
    if (db_) sqlite3_busy_handler(db_, &Connection::WaitForLock, this);
}

// Tried again every millisecond until the time-out: another program's writes hold the file for
// a moment each, and a wait that sleeps longer between tries keeps missing the moments between
// them.
int Connection::WaitForLock(void* self, int tries) {
    auto* connection = static_cast<Connection*>(self);
    const auto now = std::chrono::steady_clock::now();
    if (tries == 0) connection->busySince_ = now;
    if (now - connection->busySince_ >= std::chrono::milliseconds(connection->busyTimeoutMs_)) return 0;
    sqlite3_sleep(1);
    return 1;
}

void Connection::Close() {
    readers_.clear();
    if (!db_) return;
    sqlite3_close_v2(db_);
    db_ = nullptr;
    self_.reset();
    path_.clear();
}

long Connection::Execute(const std::string& sql) {
    if (!db_) Fail();
    const char* tail = sql.c_str();
    const char* end = tail + sql.size();
    long changes = 0;
    while (tail < end) {
        Statement s;
        if (sqlite3_prepare_v2(db_, tail, static_cast<int>(end - tail), &s.stmt, &tail) != SQLITE_OK) Fail();
        if (!s.stmt) continue;  // white space or a comment
        int rc;
        while ((rc = sqlite3_step(s.stmt)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) Fail();
        changes = sqlite3_stmt_readonly(s.stmt) ? 0 : sqlite3_changes(db_);
    }
    return changes;
}

long Connection::Execute(const std::string& sql, const std::vector<Value>& params) {
    return Prepared(*this, sql).Run(params);
}

Connection::Prepared::Prepared(Connection& connection, const std::string& sql) : db_(connection) {
    if (!db_.db_) db_.Fail();
    if (sqlite3_prepare_v2(db_.db_, sql.c_str(), static_cast<int>(sql.size()), &stmt_, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt_);
        db_.Fail();
    }
}

Connection::Prepared::~Prepared() { sqlite3_finalize(stmt_); }

long Connection::Prepared::Run(const std::vector<Value>& params) {
    if (!stmt_) return 0;  // white space or a comment
    sqlite3_clear_bindings(stmt_);
    for (std::size_t i = 0; i < params.size(); ++i) Bind(stmt_, static_cast<int>(i + 1), params[i]);
    int rc;
    while ((rc = sqlite3_step(stmt_)) == SQLITE_ROW) {
    }
    // Reset at once, so that the statement holds no lock between runs; the failure's message
    // is taken before.
    if (rc != SQLITE_DONE) {
        RuntimeError failure = Failure(db_.db_, rc);
        sqlite3_reset(stmt_);
        throw failure;
    }
    const long changes = sqlite3_stmt_readonly(stmt_) ? 0 : sqlite3_changes(db_.db_);
    sqlite3_reset(stmt_);
    return changes;
}

Recordset Connection::Query(const std::string& sql) { return Query(sql, std::vector<Value>{}); }

Recordset Connection::Prepared::Query(const std::vector<Value>& params) {
    if (!stmt_) return Recordset();  // white space or a comment
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    for (std::size_t i = 0; i < params.size(); ++i) Bind(stmt_, static_cast<int>(i + 1), params[i]);
    // Reset however it ends, so that the statement holds no lock between runs.
    struct Reset {
        sqlite3_stmt* stmt;
        ~Reset() { sqlite3_reset(stmt); }
    } reset{stmt_};
    return db_.ReadRows(stmt_, sqlite3_sql(stmt_));
}

Recordset Connection::Query(const std::string& sql, const std::vector<Value>& params) {
    if (!db_) Fail();
    Statement s;
    if (sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &s.stmt, nullptr) != SQLITE_OK) Fail();
    for (std::size_t i = 0; i < params.size(); ++i) Bind(s.stmt, static_cast<int>(i + 1), params[i]);
    return ReadRows(s.stmt, sql);
}

Recordset Connection::ReadRows(sqlite3_stmt* stmt, const std::string& sql) {
    Recordset rs;
    auto& table = *rs.table_;
    int n = sqlite3_column_count(stmt);
    for (int i = 0; i < n; ++i) {
        Recordset::Column c;
        c.name = sqlite3_column_name(stmt, i);
        const char* base = sqlite3_column_table_name(stmt, i);
        const char* origin = sqlite3_column_origin_name(stmt, i);
        if (base && origin) {
            c.baseTable = base;
            c.baseColumn = origin;
            int primary = 0;
            const char* db = sqlite3_column_database_name(stmt, i);
            sqlite3_table_column_metadata(db_, db, base, origin, nullptr, nullptr, nullptr, &primary, nullptr);
            c.isKey = primary != 0;
        }
        table.AddColumn(std::move(c));
    }
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        Recordset::Row row;
        row.values.reserve(n);
        for (int i = 0; i < n; ++i) row.values.push_back(ColumnValue(stmt, i));
        table.rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) Fail();
    table.connection = self_;
    table.fromQuery = true;
    table.sql = sql;
    rs.Open();
    return rs;
}

Recordset Connection::Query(const std::string& sql, long rows) {
    if (rows <= 0) return Query(sql);
    Recordset rs = Query(Recordset::Paged(sql), {Value(static_cast<long long>(rows)), Value(0)});
    rs.table_->sql = sql;
    rs.table_->pageRows = rows;
    rs.table_->more = rs.Rows() == rows;
    return rs;
}

void Connection::Begin() { Execute("BEGIN"); }
void Connection::Commit() { Execute("COMMIT"); }
void Connection::Rollback() { Execute("ROLLBACK"); }
bool Connection::InTransaction() const { return db_ && !sqlite3_get_autocommit(db_); }

Connection::Transaction::Transaction(Connection& connection) : db_(connection) {
    if (db_.InTransaction()) {
        savepoint_ = "kelvo_" + std::to_string(++db_.savepoints_);
        db_.Execute("SAVEPOINT " + savepoint_);
    } else {
        // The write lock is taken at the start: work that another program's lock would stop
        // stops here, before its first write, rather than part way through.
        db_.Execute("BEGIN IMMEDIATE");
        db_.SetCacheSize(-kWriteCacheKiB);
    }
}

Connection::Transaction::~Transaction() {
    if (done_) return;
    try {
        if (!savepoint_.empty()) db_.Execute("ROLLBACK TO " + savepoint_ + "; RELEASE " + savepoint_);
        else if (db_.InTransaction())  // SQLite may have rolled back already (a full disk)
            db_.Rollback();
    } catch (...) {
        // The outer transaction is gone too; nothing of this one is left to undo.
    }
    if (savepoint_.empty()) db_.SetCacheSize(db_.restingCache_);
}

void Connection::Transaction::Commit() {
    db_.Execute(savepoint_.empty() ? "COMMIT" : "RELEASE " + savepoint_);
    done_ = true;
    if (savepoint_.empty()) db_.SetCacheSize(db_.restingCache_);
}

// Never raises: a cache of another size changes how fast the work goes, never what it does.
void Connection::SetCacheSize(long long size) {
    if (!db_) return;
    try {
        Execute("PRAGMA cache_size=" + std::to_string(size));
    } catch (...) {
    }
}

void Connection::SetKeyTable(const std::string& table, const std::string& column, const std::vector<long long>& keys) {
    FillKeyTable("\"" + table + "\" (\"" + column + "\" INTEGER PRIMARY KEY)",
                 "INSERT OR IGNORE INTO temp.\"" + table + "\" SELECT value FROM json_each(?)", table, keys);
}

void Connection::SetOrderedKeyTable(const std::string& table, const std::string& position, const std::string& column,
                                    const std::vector<long long>& keys) {
    FillKeyTable("\"" + table + "\" (\"" + position + "\" INTEGER PRIMARY KEY, \"" + column + "\" INTEGER)",
                 "INSERT INTO temp.\"" + table + "\" SELECT key, value FROM json_each(?)", table, keys);
}

// The keys go in as one JSON array, each with its place in it: one statement for 200,000 keys.
void Connection::FillKeyTable(const std::string& definition, const std::string& insert, const std::string& table,
                              const std::vector<long long>& keys) {
    std::string array = "[";
    for (long long key : keys) array += (array.size() > 1 ? "," : "") + std::to_string(key);
    array += "]";
    Execute("CREATE TEMP TABLE IF NOT EXISTS " + definition);
    // A savepoint outside a transaction begins a deferred one: only the temporary database,
    // which the statements below write, is locked.
    Execute("SAVEPOINT kelvo_keys");
    try {
        Execute("DELETE FROM temp.\"" + table + "\"");
        Execute(insert, {Value(array)});
    } catch (...) {
        try {
            Execute("ROLLBACK TO kelvo_keys; RELEASE kelvo_keys");
        } catch (...) {
        }
        throw;
    }
    Execute("RELEASE kelvo_keys");
}

long long Connection::LastInsertId() const { return db_ ? sqlite3_last_insert_rowid(db_) : 0; }

std::vector<std::string> Connection::TableNames() {
    std::vector<std::string> names;
    Recordset rs = Query("SELECT name FROM sqlite_master WHERE type='table' ORDER BY name");
    for (; !rs.Eof(); rs.MoveNext()) names.push_back(rs.Field(0).ToString());
    return names;
}

void Connection::VacuumInto(const std::string& path) { Execute("VACUUM INTO ?", {Value(path)}); }

void Connection::CopyFrom(Connection& source) {
    if (!db_) Fail();
    if (!source.db_) source.Fail();
    // A database in WAL mode (another program's) cannot take a copy of another page size: it
    // goes back to the rollback journal that the program's files keep. While another program
    // holds it in WAL mode it stays so, and the copy fails as it would have.
    if (LowerAscii(Query("PRAGMA journal_mode").Field(0).ToString()) == "wal") {
        try {
            Execute("PRAGMA journal_mode=DELETE");
        } catch (const RuntimeError&) {
        }
    }
    sqlite3_backup* backup = sqlite3_backup_init(db_, "main", source.db_, "main");
    if (!backup) Fail();
    // The step waits on locks through the connections' busy handlers; a lock held by another
    // connection of this program is waited out here, as long as a statement would wait.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(BusyTimeoutMs());
    int rc;
    while ((rc = sqlite3_backup_step(backup, -1)) == SQLITE_BUSY || rc == SQLITE_LOCKED) {
        if (std::chrono::steady_clock::now() >= deadline) break;
        sqlite3_sleep(10);
    }
    // Finishing reports a lasting failure of the step on this connection, where Fail reads
    // it; a lock that was never given up is no lasting failure and is reported here.
    if (sqlite3_backup_finish(backup) != SQLITE_OK) Fail();
    if (rc != SQLITE_DONE) throw RuntimeError(ErrorNumber::DatabaseFailure, sqlite3_errstr(rc), KindOf(rc));
}

std::string Connection::QuickCheck() {
    Recordset rs = Query("PRAGMA quick_check(1)");
    return rs.Eof() ? "ok" : rs.Field(0).ToString();
}

std::string Connection::OutlineCheck() {
    const long long size = Query("PRAGMA page_count").Field(0).ToLong() * Query("PRAGMA page_size").Field(0).ToLong();
    if (!path_.empty() && path_ != ":memory:" && FileSystem::Exists(path_) && FileSystem::Size(path_) < size)
        return "the file is shorter than its header says";
    Recordset tables = Query("SELECT name, sql FROM sqlite_master WHERE type='table' AND rootpage>0");
    for (; !tables.Eof(); tables.MoveNext()) {
        std::string name = tables.Field(0).ToString();
        ReplaceAll(name, "\"", "\"\"");
        const std::string table = "\"" + name + "\"";
        if (UpperAscii(tables.Field(1).ToStringOr("")).find("WITHOUT ROWID") == std::string::npos)
            Query("SELECT (SELECT rowid FROM " + table + " ORDER BY rowid LIMIT 1), (SELECT rowid FROM " + table +
                  " ORDER BY rowid DESC LIMIT 1)");
        else Query("SELECT 1 FROM " + table + " LIMIT 1");
    }
    return "ok";
}

void Connection::CheckWritable() {
    // Asked without a write: a probe that wrote would wait on, or be refused by, another copy
    // that is writing, and would leave a journal behind at every start. SQLite opens a file it
    // may not write read-only, and marks one whose header asks for a newer writer so once the
    // header has been read; the journal SQLite makes beside the file needs its folder to take
    // new files.
    Query("PRAGMA schema_version");
    const char* file = sqlite3_db_filename(db_, "main");
    const bool readOnly = sqlite3_db_readonly(db_, "main") == 1 ||
                          (file && *file && !FileSystem::TakesNewFiles(FileSystem::Folder(file)));
    if (readOnly)
        throw RuntimeError(ErrorNumber::DatabaseFailure, "attempt to write a readonly database",
                           RuntimeError::Kind::ReadOnly);
}

void Connection::RegisterFunction(const std::string& name, int argCount, Function fn, bool oncePerStatement) {
    if (!db_) Fail();
    auto function = std::make_unique<Function>(std::move(fn));
    // SQLite evaluates a deterministic function of constant arguments once per statement.
    const int flags = SQLITE_UTF8 | (oncePerStatement ? SQLITE_DETERMINISTIC : 0);
    if (sqlite3_create_function_v2(db_, name.c_str(), argCount, flags, function.get(), CallFunction, nullptr, nullptr,
                                   nullptr) != SQLITE_OK)
        Fail();
    // A function given again replaces the one of its name and number of arguments, which goes.
    for (auto r = registered_.begin(); r != registered_.end();)
        if (r->name == name && r->argCount == argCount) {
            const Function* replaced = r->function;
            functions_.erase(
                std::find_if(functions_.begin(), functions_.end(), [&](const auto& f) { return f.get() == replaced; }));
            r = registered_.erase(r);
        } else {
            ++r;
        }
    registered_.push_back({name, argCount, function.get(), oncePerStatement});
    functions_.push_back(std::move(function));
}

// ---- Reading in parts --------------------------------------------------------------------------

// Readers as many as the parts, each in a read transaction that holds its lock. A reader waits for
// no lock: while one of them holds its own, a program that has begun to commit waits for it, so
// waiting would only hold both up; the caller then reads here. Every function registered here is
// one answer a statement (Now), asked here once and given to the readers as that answer.
bool Connection::OpenReaders(std::size_t count) {
    for (const Registered& registered : registered_)
        if (!registered.oncePerStatement || registered.argCount != 0) return false;
    std::vector<Value> answers;
    std::size_t locked = 0;
    try {
        for (const Registered& registered : registered_) answers.push_back((*registered.function)({}));
        while (readers_.size() < count) {
            auto reader = std::make_unique<Connection>();
            reader->Open(path_, false, true);
            readers_.push_back(std::move(reader));
        }
        for (; locked < count; ++locked) {
            Connection& reader = *readers_[locked];
            reader.SetBusyTimeout(0);
            for (std::size_t f = 0; f < registered_.size(); ++f)
                reader.RegisterFunction(
                    registered_[f].name, 0, [answer = answers[f]](const std::vector<Value>&) { return answer; }, true);
            reader.Execute("BEGIN");
            reader.Execute("SELECT count(*) FROM sqlite_master");  // takes the read lock
        }
        return true;
    } catch (const std::exception&) {
        EndReading(locked + 1);
        return false;
    }
}

void Connection::EndReading(std::size_t count) {
    for (std::size_t i = 0; i < count && i < readers_.size(); ++i) {
        try {
            if (readers_[i]->InTransaction()) readers_[i]->Execute("COMMIT");
        } catch (const std::exception&) {
            readers_[i].reset();  // opened afresh the next time
        }
    }
    readers_.erase(std::remove(readers_.begin(), readers_.end(), nullptr), readers_.end());
}

Recordset Connection::QueryInParts(const std::string& whole, const std::vector<std::string>& parts) {
    if (!db_) Fail();
    if (parts.size() < 2 || InTransaction() || path_.empty() || path_ == ":memory:" || !OpenReaders(parts.size()))
        return Query(whole);
    std::vector<Recordset> read(parts.size());
    std::vector<std::exception_ptr> failed(parts.size());
    {
        std::vector<std::thread> threads;
        for (std::size_t i = 0; i < parts.size(); ++i) {
            const auto part = [&, i] {
                try {
                    read[i] = readers_[i]->Query(parts[i]);
                } catch (...) {
                    failed[i] = std::current_exception();
                }
            };
            try {
                // This thread reads the last part; with no thread to be had, any other too.
                if (i + 1 < parts.size()) threads.emplace_back(part);
                else part();
            } catch (const std::system_error&) {
                part();
            }
        }
        for (std::thread& thread : threads) thread.join();
    }
    EndReading(parts.size());
    for (const std::exception_ptr& failure : failed)
        if (failure) return Query(whole);
    // One recordset of the parts' rows, as the whole query's: written back through this connection.
    Recordset rows = std::move(read[0]);
    auto& table = *rows.table_;
    std::size_t count = table.rows.size();
    for (std::size_t i = 1; i < read.size(); ++i) count += read[i].table_->rows.size();
    table.rows.reserve(count);
    for (std::size_t i = 1; i < read.size(); ++i) {
        auto& more = read[i].table_->rows;
        std::move(more.begin(), more.end(), std::back_inserter(table.rows));
        more.clear();
    }
    table.connection = self_;
    table.sql = whole;
    rows.Open();
    return rows;
}
