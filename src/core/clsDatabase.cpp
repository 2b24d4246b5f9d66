#include "clsDatabase.h"

#include <strings.h>

#include "clsCommonDialog.h"
#include "modCommon.h"
#include "modSchema.h"
#include "platform/FileLock.h"
#include "platform/FileSystem.h"
#include "platform/Program.h"
#include "platform/Prompts.h"
#include "platform/RuntimeError.h"

namespace {

const char* const kObject = "clsDatabase";
const char* const kFileName = "Kelvo.mdb";

std::function<void()>& OnlineRestore() {
    static std::function<void()> hook;
    return hook;
}

// One lock per open gateway file, so release never swaps a file another program has open.
FileLock& LiveLock() {
    static FileLock lock;
    return lock;
}

std::string LivePath() { return FileSystem::Join(modCommon::GetDatabaseFilespec(), kFileName); }

std::string Lines(std::initializer_list<std::string> lines) {
    std::string out;
    for (const auto& l : lines) out += (out.empty() ? "" : "\r\n") + l;
    return out;
}

// Moves a file and its rollback journal together, so a stale journal never meets another file.
void MoveWithJournal(const std::string& from, const std::string& to) {
    FileSystem::Rename(from, to);
    if (FileSystem::Exists(from + "-journal")) FileSystem::Rename(from + "-journal", to + "-journal");
}

}  // namespace

void clsDatabase::RegisterOnlineRestore(std::function<void()> showRestoreWindow) {
    OnlineRestore() = std::move(showRestoreWindow);
}

clsDatabase::clsDatabase() {
    std::string path = LivePath();
    try {
        if (!FileSystem::Exists(path)) {
            std::string shipped = FileSystem::Join(Program::ProgramFolder(), kFileName);
            FileSystem::Copy(shipped, path);
        }
        OpenConnection(path);
    } catch (const RuntimeError& e) {
        connection_.reset();
        OfferRestore(e.description);
    }
}

void clsDatabase::OpenConnection(const std::string& path) {
    auto connection = std::make_unique<Connection>();
    connection->Open(path);
    // Queries ask the program's clock, which tests can pin.
    connection->RegisterFunction("Now", 0, [](const std::vector<Value>&) {
        return Value(DateTime::Now().ToText());
    });
    LiveLock().LockShared(path);
    connection_ = std::move(connection);
}

void clsDatabase::OfferRestore(const std::string& description) {
    int answer = Prompts::MsgBox(
        Lines({"A connection to your Kelvo database cannot be opened.",
               "The connection error is: " + description,
               "This program cannot continue without access to the Kelvo database. If you",
               "have made a backup of your database at any stage then you may be able to",
               "use this to restore your data. Would you like to try this now?"}),
        Prompts::YesNo | Prompts::Question, "Cannot Open Your Database");
    if (answer != Prompts::Yes) Program::End();
    answer = Prompts::MsgBox(
        Lines({"You can restore from a database you have backed up locally or, if you have backed",
               "up to the RVBS, from a backup stored on the RVBS.",
               "Do you want to restore from a local backup?"}),
        Prompts::YesNo | Prompts::Question, "Restore from Local Backup?");
    if (answer == Prompts::Yes) {
        clsCommonDialog dialog;
        std::string fileName, fileTitle, filter = "Database (*.mdb)|*.mdb";
        long filterIndex = 1;
        bool readOnly = false;
        if (!dialog.VBGetOpenFileName(fileName, fileTitle, true, false, readOnly, false, filter, filterIndex))
            Program::End();
        Restore(fileName);
    } else if (OnlineRestore()) {
        OnlineRestore()();
    } else {
        Prompts::MsgBox("The online restore is not available in this version of the program.",
                        Prompts::OKOnly | Prompts::Exclamation, "Restore from the RVBS");
    }
}

clsDatabase::~clsDatabase() {
    if (!connection_) return;  // a gateway that never opened the file leaves it alone
    connection_.reset();
    std::string live = LivePath();
    std::string compacted = FileSystem::Join(modCommon::GetDatabaseFilespec(), std::string("Compacted") + kFileName);
    FileSystem::Remove(compacted);
    // Another program that still has the file open keeps it: no compaction then.
    if (!LiveLock().TryExclusive()) {
        LiveLock().Unlock();
        return;
    }
    try {
        Connection source;
        source.Open(live);
        source.VacuumInto(compacted);
        source.Close();
        // The compacted copy replaces the live file in one rename, so no moment exists
        // without a database.
        FileSystem::Rename(compacted, live);
    } catch (const RuntimeError&) {
        FileSystem::Remove(compacted);
    }
    LiveLock().Unlock();
}

Connection& clsDatabase::Open() {
    if (!connection_) throw RuntimeError(ErrorNumber::ObjectClosed, "Operation is not allowed when the object is closed.");
    return *connection_;
}

Recordset clsDatabase::OpenRecordset(const std::string& strSQL) {
    try {
        return Open().Query(strSQL);
    } catch (const RuntimeError& e) {
        modCommon::LogError(e, "OpenRecordset - Using " + strSQL, kObject);
        return Recordset();
    }
}

long clsDatabase::Execute(const std::string& strSQL) {
    try {
        return Open().Execute(strSQL);
    } catch (const RuntimeError& e) {
        modCommon::LogError(e, "Execute - Using " + strSQL, kObject);
        return 0;
    }
}

void clsDatabase::Transaction(int enTSState) {
    try {
        if (enTSState < 0 || enTSState > 2) return;
        if (enTSState == 0) Open().Begin();
        else if (enTSState == 1) Open().Commit();
        else Open().Rollback();
    } catch (const RuntimeError& e) {
        modCommon::LogError(e, "Transaction", kObject);
    }
}

bool clsDatabase::Backup(const std::string& strFileName) {
    std::string live = LivePath();
    std::string temporary = strFileName + "tmp";
    try {
        if (strcasecmp(strFileName.c_str(), live.c_str()) == 0 || FileSystem::SameFile(strFileName, live))
            return false;
        FileSystem::Remove(temporary);
        // A compacted snapshot from the open connection: consistent even while in use.
        Open().VacuumInto(temporary);
        FileSystem::Rename(temporary, strFileName);
        return true;
    } catch (const RuntimeError& e) {
        FileSystem::Remove(temporary);
        modCommon::LogError(e, "Backup", kObject);
        return false;
    }
}

bool clsDatabase::IsUsableDatabase(const std::string& path) {
    try {
        Connection test;
        test.Open(path);
        bool hasData = false;
        for (const auto& name : test.TableNames())
            if (strcasecmp(name.c_str(), "KelvoData") == 0) hasData = true;
        if (!hasData) return false;
        Recordset rs = test.Query("SELECT ItemData FROM KelvoData WHERE ItemName='Version'");
        if (rs.Eof() || rs.Field(0).IsNull()) return false;
        std::string version = rs.Field(0).ToString();
        for (const auto& v : modSchema::ScriptVersions())
            if (v == version) return true;
        return false;
    } catch (const RuntimeError&) {
        return false;
    }
}

int clsDatabase::Restore(const std::string& strFilespec) {
    int result = 1;
    std::string live = LivePath();
    std::string incoming = live + ".restoring";
    std::string previous = live + ".previous";
    bool swapped = false;
    try {
        if (!IsUsableDatabase(strFilespec)) return result;
        result = 2;
        // The copy is made beside the live file first, so the swap is one rename and the
        // live file is untouched until the copy is whole.
        FileSystem::Remove(incoming);
        FileSystem::Copy(strFilespec, incoming);
        connection_.reset();
        LiveLock().Unlock();
        FileSystem::Remove(previous);
        FileSystem::Remove(previous + "-journal");
        if (FileSystem::Exists(live)) MoveWithJournal(live, previous);
        swapped = true;
        FileSystem::Rename(incoming, live);
        OpenConnection(live);
        if (!modCommon::VersionCheckOn(*this)) {
            std::string stored = modCommon::StoredVersionOn(*this);
            connection_.reset();
            LiveLock().Unlock();
            MoveWithJournal(previous, live);
            modCommon::ShowVersionMismatch(stored);
            Program::End();
        }
        FileSystem::Remove(previous);
        FileSystem::Remove(previous + "-journal");
        return 0;
    } catch (const RuntimeError& e) {
        FileSystem::Remove(incoming);
        if (swapped && FileSystem::Exists(previous)) {
            // Put the database we had back and carry on with it.
            connection_.reset();
            LiveLock().Unlock();
            FileSystem::Remove(live);
            try {
                MoveWithJournal(previous, live);
                OpenConnection(live);
            } catch (const RuntimeError&) {
            }
        }
        modCommon::LogError(e, "Restore", kObject);
        return result;
    }
}

bool clsDatabase::DatabaseAvailable() const { return connection_ != nullptr; }

std::string clsDatabase::GetDatabaseFilespec() const { return LivePath(); }
