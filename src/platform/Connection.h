#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Recordset.h"
#include "Value.h"

struct sqlite3;

// One SQLite database file. Statements and queries raise RuntimeError with SQLite's
// message. Rollback journal, busy time-out, one file.
class Connection {
public:
    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens an existing file (never creates one unless `create`), and checks that it
    // really is a database.
    void Open(const std::string& path, bool create = false);
    void Close();
    bool IsOpen() const { return db_ != nullptr; }
    const std::string& Path() const { return path_; }

    // Runs one or more statements; returns the rows changed by the last one.
    long Execute(const std::string& sql);
    // Runs one statement with values bound to its "?" parameters.
    long Execute(const std::string& sql, const std::vector<Value>& params);
    Recordset Query(const std::string& sql);

    void Begin();
    void Commit();
    void Rollback();
    bool InTransaction() const;

    long long LastInsertId() const;
    std::vector<std::string> TableNames();

    // Writes a compacted copy of the whole database to `path` (which must not exist).
    void VacuumInto(const std::string& path);

    using Function = std::function<Value(const std::vector<Value>&)>;
    void RegisterFunction(const std::string& name, int argCount, Function fn);

    sqlite3* Handle() const { return db_; }

private:
    sqlite3* db_ = nullptr;
    std::string path_;
    std::vector<std::unique_ptr<Function>> functions_;
    std::shared_ptr<Connection*> self_;  // recordsets hold it weakly
    [[noreturn]] void Fail() const;
    friend class Recordset;
};
