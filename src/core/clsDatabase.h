#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Connection.h"
#include "platform/Recordset.h"

// The program's only way to its database file "Kelvo.mdb" in the data folder. Failures of
// queries and statements are logged and the caller carries on with an unopened recordset
// or 0 rows. Another copy of the program or another tool may have the file open at any time,
// so it is never renamed or replaced: compaction and restores work inside it, under SQLite's
// own locking, and every moment leaves a whole database there.
class clsDatabase {
public:
    clsDatabase();   // finds or creates the data folder, copies the template, opens the file
    ~clsDatabase();  // compacts the file in place and closes it

    // When the file would not open: the keeper's questions and the restore roads. The second
    // half of creating the gateway, run once it is the program-wide one, so that a restore
    // started from here writes through it. A file that another program holds locked is in use,
    // not damaged, and one that cannot be written is read-only: the keeper may try again or quit,
    // and no restore, which would have to write it, is offered.
    void OfferRestoreIfUnopened();

    Recordset OpenRecordset(const std::string& strSQL);
    // The first `rows` rows of a query whose recordset reads the rest when asked
    // (Connection::Query); a failure is logged as OpenRecordset's.
    Recordset OpenRecordset(const std::string& strSQL, long rows);
    // The rows of `strSQL` read in parts at once (Connection::QueryInParts); a failure is logged as
    // OpenRecordset's.
    Recordset OpenRecordsetInParts(const std::string& strSQL, const std::vector<std::string>& parts);
    long Execute(const std::string& strSQL);
    // 0 begin, 1 commit, 2 roll back; any other value does nothing.
    void Transaction(int enTSState);
    // A compacted copy of the live data at the path, made beside it as "<path>tmp" and put in
    // place whole, so a failure keeps the file that was there. When the disk had no room and the
    // caller asks (`noRoom`), that is only logged and said there: the caller tells the keeper.
    bool Backup(const std::string& strFileName, bool* noRoom = nullptr);
    // What a restore did beside its result: the copy that keeps the data it replaced ("" when
    // there was none), or why it refused the file.
    struct RestoreReport {
        std::string kept;
        std::string refusal;
    };
    // Writes a checked backup into the live database (the local and the online restore both
    // come here). 0 restored, 1 not a usable database of this program, 2 not written, 3 not
    // written because the data it replaces could not be copied first (the keeper is told).
    // That data is copied before anything is written, to a file of its own in the data folder
    // named with the date and time of the restore ("Kelvo before restore 2026-12-09 14.03.22.mdb"),
    // which stays there: no restore writes over a copy that an earlier one kept.
    // A backup of a version this program cannot bring up to date, or whose upgrade fails,
    // leaves the live data as it was, shows "Version Mismatch" and ends the program.
    int Restore(const std::string& strFilespec, RestoreReport* report = nullptr);
    bool DatabaseAvailable() const;
    std::string GetDatabaseFilespec() const;
    // The line of a restore's message that says where the data it replaced is kept ("" when
    // nothing was kept).
    static std::string KeptLine(const std::string& kept);

    // The connection, for the few callers that bind values (bulk writes).
    Connection& GetConnection() { return Open(); }

    // The online restore road, filled by the backup window at start-up.
    static void RegisterOnlineRestore(std::function<void()> showRestoreWindow);

    // Checks that a file is a database of this program that the upgrade script can bring up
    // to date: it opens, passes SQLite's quick check, its version is one the script lists, and
    // its tables are the program's own at that version (modSchema::SchemaProblem).
    static bool IsUsableDatabase(const std::string& path);

private:
    std::unique_ptr<Connection> connection_;
    std::string openFailure_;    // why the file would not open when the gateway was created
    bool openInUse_ = false;     // because another program holds it locked
    bool openReadOnly_ = false;  // because it cannot be written
    void TryOpen();
    void OpenConnection(const std::string& path);
    void Attach(std::unique_ptr<Connection> connection);
    Connection& Open();  // the open connection, or a failure when there is none
    void OfferRestore(const std::string& description);
    void RestoreAtStart();
    Connection& OpenForRestore();
    std::string KeepPrevious(bool sound, const std::string& name);
    void PutPreviousBack(bool sound, const std::string& previous);
};
