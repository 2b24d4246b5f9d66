#pragma once
#include <functional>
#include <memory>
#include <string>

#include "platform/Connection.h"
#include "platform/Recordset.h"

// The program's only way to its database file "Kelvo.mdb" in the data folder. Failures of
// queries and statements are logged and the caller carries on with an unopened recordset
// or 0 rows.
class clsDatabase {
public:
    clsDatabase();   // finds or creates the data folder, copies the template, opens the file
    ~clsDatabase();  // closes and compacts the file

    Recordset OpenRecordset(const std::string& strSQL);
    long Execute(const std::string& strSQL);
    // 0 begin, 1 commit, 2 roll back; any other value does nothing.
    void Transaction(int enTSState);
    bool Backup(const std::string& strFileName);
    // 0 restored, 1 not a usable database of this program, 2 not put in place or reopened.
    int Restore(const std::string& strFilespec);
    bool DatabaseAvailable() const;
    std::string GetDatabaseFilespec() const;

    // The connection, for the few callers that bind values (bulk writes).
    Connection& GetConnection() { return Open(); }

    // The online restore road, filled by the backup window at start-up.
    static void RegisterOnlineRestore(std::function<void()> showRestoreWindow);

    // Checks that a file is a database of this program that the upgrade script can bring up
    // to date: it opens, holds KelvoData, and its version is one the script lists.
    static bool IsUsableDatabase(const std::string& path);

private:
    std::unique_ptr<Connection> connection_;
    void OpenConnection(const std::string& path);
    Connection& Open();  // the open connection, or a failure when there is none
    void OfferRestore(const std::string& description);
};
