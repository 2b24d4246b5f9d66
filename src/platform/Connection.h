#pragma once
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Recordset.h"
#include "platform/Value.h"

struct sqlite3;
struct sqlite3_stmt;

// One SQLite database file. Statements and queries raise RuntimeError with SQLite's
// message. Rollback journal, busy time-out, one file.
class Connection {
public:
    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens an existing file (never creates one unless `create`; for reading alone when
    // `readOnly`), and checks that it really is a database.
    void Open(const std::string& path, bool create = false, bool readOnly = false);
    void Close();
    bool IsOpen() const { return db_ != nullptr; }
    const std::string& Path() const { return path_; }
    // How long a statement waits for another connection's lock; Open sets the usual time-out.
    void SetBusyTimeout(int ms);

    // Runs one or more statements; returns the rows changed by the last one.
    long Execute(const std::string& sql);
    // Runs one statement with values bound to its "?" parameters.
    long Execute(const std::string& sql, const std::vector<Value>& params);
    Recordset Query(const std::string& sql);
    // A query with values bound to its "?" parameters.
    Recordset Query(const std::string& sql, const std::vector<Value>& params);
    // The rows of the query `whole` read in parts at the same time, each part on a connection of its
    // own to the same file (opened for reading, and kept for the next time): the queries `parts`,
    // whose rows, one part after another, are the rows of `whole`. The parts read one state of the
    // file: each holds its read lock until every one has its own, and while any holds one no other
    // program can commit. Where that cannot be had at once (another program is committing), where
    // this connection is inside a transaction (whose changes the others would not see), where a
    // function registered here cannot be asked from another thread, or where a part fails, `whole`
    // runs here. The recordset is as Query(whole) gives it.
    Recordset QueryInParts(const std::string& whole, const std::vector<std::string>& parts);
    // The first `rows` rows of a query that ends with its ORDER BY (a SELECT without LIMIT): the
    // recordset reads the rest when asked (Recordset::FetchMore), by running the query again for
    // the rows after those it holds, so a list of many rows shows its first screen at once. The
    // order must be total (ties broken by a key), or pages may share or miss rows.
    Recordset Query(const std::string& sql, long rows);

    // The bare statements, for a caller that brackets a transaction across calls of its own
    // (the gateway's Transaction). All-or-nothing work in one function uses Transaction.
    void Begin();
    void Commit();
    void Rollback();
    bool InTransaction() const;

    // All or nothing: begun when made, with the database's write lock (a file that another
    // program holds locked fails here, once the busy time-out has passed), rolled back when it
    // goes out of scope without Commit (an exception, an early return). Made while another transaction is open, it is a
    // savepoint inside it, so a routine that needs one works alone and inside a caller's.
    // Only calls that raise can guard it; a statement whose failure is reported as a count
    // must have its count checked before Commit.
    class Transaction {
    public:
        explicit Transaction(Connection& connection);
        ~Transaction();  // rolls back unless committed; never raises
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;
        // Raises when the commit fails; the work is then rolled back by the destructor.
        void Commit();

    private:
        Connection& db_;
        std::string savepoint_;  // empty for the outermost
        bool done_ = false;
    };

    // One statement prepared once and run many times with values bound to its "?" parameters:
    // bulk writes that would otherwise spend most of their time preparing the same text. It
    // raises as Execute does and must go before its connection closes.
    class Prepared {
    public:
        Prepared(Connection& connection, const std::string& sql);
        ~Prepared();
        Prepared(const Prepared&) = delete;
        Prepared& operator=(const Prepared&) = delete;
        // Runs the statement with these values; returns the rows it changed.
        long Run(const std::vector<Value>& params);
        // Runs the query with these values; its rows, as Connection::Query gives them (but not to
        // be run again by Requery, which has no values to give).
        Recordset Query(const std::vector<Value>& params);

    private:
        Connection& db_;
        sqlite3_stmt* stmt_ = nullptr;
    };

    // Makes `temp.<table>` (one column `column`, INTEGER PRIMARY KEY) hold exactly `keys`, for
    // statements that name thousands of rows as "IN (SELECT <column> FROM temp.<table>)" in place of
    // a list in their text. The table is this connection's alone; the keys go in by one statement,
    // and writing them locks nothing of the database file, so it works while another program
    // writes to it. All of them or none: on a failure the table keeps what it held.
    void SetKeyTable(const std::string& table, const std::string& column, const std::vector<long long>& keys);
    // The same for keys whose order counts: `temp.<table>` (`position` INTEGER PRIMARY KEY, `column`
    // INTEGER) holds each key at its place in `keys`, the first at 0, and a key given twice twice.
    void SetOrderedKeyTable(const std::string& table, const std::string& position, const std::string& column,
                            const std::vector<long long>& keys);

    long long LastInsertId() const;
    std::vector<std::string> TableNames();

    // Writes a compacted copy of the whole database to `path` (which must not exist).
    void VacuumInto(const std::string& path);
    // Writes the whole of `source`'s database into this one through SQLite's online backup, in
    // one write transaction of this connection: every other connection to this file, in this
    // program or another, sees the old content or the new, and a crash leaves the old.
    void CopyFrom(Connection& source);
    // SQLite's quick check of the whole file: "ok", or the first problem it found. A file too
    // damaged to be checked raises.
    std::string QuickCheck();
    // A check of the file's outline that costs the same at any size: the file is as long as its
    // header says, and the schema and the first and last row of every table read. "ok", or the
    // problem; a file damaged where these reads go raises (SQLite's "database disk image is
    // malformed"). Damage elsewhere is met when that part is read.
    std::string OutlineCheck();
    // Finds out when a file is opened, rather than at its first change, that it cannot be
    // written: raises with Kind::ReadOnly when the file, its folder or its disk refuses writes or
    // its header asks for a newer writer. Writes nothing and waits on no other program's lock.
    void CheckWritable();

    using Function = std::function<Value(const std::vector<Value>&)>;
    // A function that gives one answer for the length of a statement (`oncePerStatement`) is
    // asked once per statement rather than once per row; with arguments, once per set of them.
    void RegisterFunction(const std::string& name, int argCount, Function fn, bool oncePerStatement = false);

    sqlite3* Handle() const { return db_; }

private:
    struct Registered {
        std::string name;
        int argCount;
        Function* function;
        bool oncePerStatement;
    };
    sqlite3* db_ = nullptr;
    std::string path_;
    std::vector<std::unique_ptr<Function>> functions_;
    std::vector<Registered> registered_;
    std::vector<std::unique_ptr<Connection>> readers_;  // QueryInParts's
    bool OpenReaders(std::size_t count);
    void FillKeyTable(const std::string& definition, const std::string& insert, const std::string& table,
                      const std::vector<long long>& keys);
    // The rows of a statement with its values bound, stepped to its end (raises as Query does).
    Recordset ReadRows(sqlite3_stmt* stmt, const std::string& sql);
    void EndReading(std::size_t count);
    std::shared_ptr<Connection*> self_;  // recordsets hold it weakly
    long savepoints_ = 0;                // names the nested transactions
    long long restingCache_ = -2000;     // SQLite's cache_size between write transactions
    void SetCacheSize(long long size);
    int busyTimeoutMs_ = 0;
    std::chrono::steady_clock::time_point busySince_;  // when the wait for a lock began
    static int WaitForLock(void* self, int tries);
    [[noreturn]] void Fail() const;
    friend class Recordset;
};
