#include "core/clsDatabase.h"

#include <strings.h>

#include <algorithm>

#include "core/ScratchFiles.h"
#include "core/Trap.h"
#include "core/modCommon.h"
#include "core/modSchema.h"
#include "platform/DateTime.h"
#include "platform/FileSystem.h"
#include "platform/Program.h"
#include "platform/Prompts.h"
#include "platform/RuntimeError.h"
#include "platform/ScratchFolder.h"
#include "platform/Text.h"

namespace {

const char* const kObject = "clsDatabase";
const char* const kFileName = "Kelvo.mdb";

std::function<void()>& OnlineRestore() {
    static std::function<void()> hook;
    return hook;
}

std::string LivePath() { return FileSystem::Join(modCommon::GetDatabaseFilespec(), kFileName); }

// The name a restore at this moment keeps the data it replaces under, without its ending; a
// second restore within the same second adds a number.
std::string KeptName() {
    std::string moment = DateTime::Now().ToText();
    std::replace(moment.begin(), moment.end(), ':', '.');
    return FileSystem::Join(modCommon::GetDatabaseFilespec(), "Kelvo before restore " + moment);
}

// Gives the whole copy `partial` the first name of `name` that no file has (nor the journal of
// one), so that no earlier kept copy is ever written over, whoever else restores meanwhile.
std::string TakeNewName(const std::string& partial, const std::string& name) {
    for (int n = 1; n < 1000; ++n) {
        const std::string path = name + (n > 1 ? " (" + std::to_string(n) + ")" : "") + ".mdb";
        if (!FileSystem::Exists(path + "-journal") && FileSystem::LinkIfAbsent(partial, path)) return path;
    }
    throw RuntimeError(ErrorNumber::PathNotFound, "Every name of " + name + " is taken");
}

void RemoveWithJournal(const std::string& path) {
    FileSystem::Remove(path);
    FileSystem::Remove(path + "-journal");
}

// A backup's scratch beside its target, on a disk of the keeper's choosing, is noted in the data
// folder, where the next start finds it if this run does not live to remove it. A data folder
// without room for the note does not stop a backup to another disk.
std::unique_ptr<ScratchFolder> NotePending(const std::string& scratch) {
    try {
        auto pending = std::make_unique<ScratchFolder>(modCommon::GetDatabaseFilespec());
        pending->Note(scratch);
        return pending;
    } catch (const RuntimeError&) {
        return nullptr;
    }
}

// A file "opens" as soon as its first page reads: a damaged or empty one is caught here, before
// the keeper's work meets it. A backup chosen for a restore is checked whole. The live file is
// checked in outline at every start, which costs the same at any size (a check of the whole file
// took a large holding's start most of a second, and its pages as much memory): damage inside a
// table is met when that part is read, and SQLite's failure then stops the work before it writes.
void CheckSound(Connection& db, bool whole) {
    if ((whole ? db.QuickCheck() : db.OutlineCheck()) != "ok")
        throw RuntimeError(ErrorNumber::DatabaseFailure, "database disk image is malformed");
    db.Execute("SELECT count(*) FROM KelvoData");  // "no such table: KelvoData" when it has none
}

bool IsScriptVersion(const std::string& version) {
    for (const auto& v : modSchema::ScriptVersions())
        if (v == version) return true;
    return false;
}

// The version a sound database of this program holds; raises when it holds none, or when its
// tables are not the program's own at that version: a file the program would damage by writing
// to it (new rows without keys) is refused before anything is written. A version the upgrade
// script does not list (a newer program's) is the version check's to refuse.
std::string CheckedVersion(Connection& db, bool whole) {
    CheckSound(db, whole);
    Recordset rs = db.Query("SELECT ItemData FROM KelvoData WHERE ItemName='Version'");
    if (rs.Eof() || rs.Field(0).IsNull())
        throw RuntimeError(ErrorNumber::DatabaseFailure, "The database holds no version.");
    const std::string version = rs.Field(0).ToString();
    const std::string problem = IsScriptVersion(version) ? modSchema::SchemaProblem(db, version) : "";
    if (!problem.empty()) throw RuntimeError(ErrorNumber::DatabaseFailure, problem);
    return version;
}

// The chosen backup opened for reading, with its version; nullptr when it is no sound
// database of this program, with the reason in `refusal`. The live file, which the restore
// itself writes, is read into memory first.
std::unique_ptr<Connection> OpenCandidate(const std::string& path, std::string& version, std::string& refusal) {
    try {
        auto candidate = std::make_unique<Connection>();
        candidate->Open(path);
        version = CheckedVersion(*candidate, true);
        if (!FileSystem::SameFile(path, LivePath())) return candidate;
        auto copy = std::make_unique<Connection>();
        copy->Open(":memory:", true);
        copy->CopyFrom(*candidate);
        return copy;
    } catch (const RuntimeError& e) {
        refusal = e.description;
        return nullptr;
    }
}

}  // namespace

void clsDatabase::RegisterOnlineRestore(std::function<void()> showRestoreWindow) {
    OnlineRestore() = std::move(showRestoreWindow);
}

clsDatabase::clsDatabase() {
    ScratchFiles::RemoveLeftovers(modCommon::GetDatabaseFilespec());
    TryOpen();
}

void clsDatabase::TryOpen() {
    std::string path = LivePath();
    try {
        // Two copies of the program starting together for the first time both find no file;
        // the one that comes second keeps the first one's.
        if (!FileSystem::Exists(path))
            FileSystem::CopyIfAbsent(FileSystem::Join(Program::ProgramFolder(), kFileName), path);
        OpenConnection(path);
    } catch (const RuntimeError& e) {
        connection_.reset();
        openFailure_ = e.description;
        openInUse_ = e.InUse();
        openReadOnly_ = e.ReadOnly();
    }
}

void clsDatabase::OpenConnection(const std::string& path) {
    auto connection = std::make_unique<Connection>();
    connection->Open(path);
    CheckedVersion(*connection, false);
    connection->CheckWritable();  // a file that cannot be written is told now, not write by write
    Attach(std::move(connection));
}

void clsDatabase::Attach(std::unique_ptr<Connection> connection) {
    // Queries ask the program's clock, which tests can pin. As with SQLite's own 'now', one
    // statement sees one moment: the clock is read once per statement, not once per row.
    connection->RegisterFunction(
        "Now", 0, [](const std::vector<Value>&) { return Value(DateTime::Now().ToText()); }, true);
    connection_ = std::move(connection);
}

void clsDatabase::OfferRestoreIfUnopened() {
    while (!connection_ && (openInUse_ || openReadOnly_)) {
        const int answer =
            openInUse_
                ? Prompts::MsgBox("Your Kelvo database is in use by another program, so it cannot be opened now." +
                                      CRLF + "Close the other program and choose Retry, or choose Cancel to quit.",
                                  Prompts::RetryCancel | Prompts::Exclamation, "Database In Use")
                : Prompts::MsgBox(
                      Join({"Your Kelvo database cannot be written, so it cannot be opened now:", LivePath(),
                            "Check that the file and its folder are not read-only and that the disk is not "
                            "write-protected,",
                            "then choose Retry, or choose Cancel to quit."},
                           CRLF),
                      Prompts::RetryCancel | Prompts::Exclamation, "Database Cannot Be Written");
        if (answer != Prompts::Retry) Program::End();
        TryOpen();
    }
    if (!connection_) OfferRestore(openFailure_);
}

void clsDatabase::OfferRestore(const std::string& description) {
    int answer = Prompts::MsgBox(
        Join({"A connection to your Kelvo database cannot be opened.", "The connection error is: " + description,
              "This program cannot continue without access to the Kelvo database. If you",
              "have made a backup of your database at any stage then you may be able to",
              "use this to restore your data. Would you like to try this now?"},
             CRLF),
        Prompts::YesNo | Prompts::Question, "Cannot Open Your Database");
    if (answer != Prompts::Yes) Program::End();
    answer = Prompts::MsgBox(
        Join({"You can restore from a database you have backed up locally or, if you have backed",
              "up to the RVBS, from a backup stored on the RVBS.", "Do you want to restore from a local backup?"},
             CRLF),
        Prompts::YesNo | Prompts::Question, "Restore from Local Backup?");
    if (answer == Prompts::Yes) {
        RestoreAtStart();
    } else if (OnlineRestore()) {
        OnlineRestore()();
    } else {
        Prompts::MsgBox("The online restore is not available in this version of the program.",
                        Prompts::OKOnly | Prompts::Exclamation, "Restore from the RVBS");
    }
}

// The keeper chooses a backup until one is restored, or cancels and the program ends. A file that
// is no backup of this program is refused with the reason, and the choice comes again.
void clsDatabase::RestoreAtStart() {
    for (;;) {
        Prompts::FileDialog dialog;
        dialog.filter = "Database (*.mdb)|*.mdb";
        dialog.fileMustExist = true;
        dialog.places = {modCommon::GetDatabaseFilespec()};  // where earlier restores kept data
        if (!Prompts::GetOpenFileName(dialog)) Program::End();
        RestoreReport report;
        const int result = Restore(dialog.fileName, &report);
        if (result == 0)
            Prompts::MsgBox("Your data was restored successfully." + KeptLine(report.kept), Prompts::OKOnly,
                            "Restored OK");
        if (result != 1) return;
        Prompts::MsgBox(
            Join({"The file " + dialog.fileName + " was not restored, as it is not a backup of your Kelvo data:",
                  report.refusal, "Choose another backup, or Cancel to quit."},
                 CRLF),
            Prompts::OKOnly | Prompts::Exclamation, "Not a Backup");
    }
}

std::string clsDatabase::KeptLine(const std::string& kept) {
    return kept.empty() ? "" : CRLF + "The data it replaced is kept in " + kept;
}

clsDatabase::~clsDatabase() {
    if (!connection_) return;  // a gateway that never opened the file leaves it alone
    // In place and in one transaction: a copy of the program or another tool that has the file
    // open keeps working on it, and a crash leaves the file as it was. When another program is
    // using the file, it is compacted another time: the program's end waits for it a moment,
    // not the time-out of a keeper's work.
    connection_->SetBusyTimeout(Program::ScaledMs(1000));
    Trap(
        "Class_Terminate", kObject, [&] { connection_->Execute("VACUUM"); }, TrapShows::LogOnly);
    connection_.reset();
}

Connection& clsDatabase::Open() {
    // An action that the database as a whole has failed uses it no more, and waits on no lock.
    TrapAction::ThrowIfEnded();
    if (!connection_)
        throw RuntimeError(ErrorNumber::ObjectClosed, "Operation is not allowed when the object is closed.");
    return *connection_;
}

Recordset clsDatabase::OpenRecordset(const std::string& strSQL) { return OpenRecordset(strSQL, 0); }

Recordset clsDatabase::OpenRecordset(const std::string& strSQL, long rows) {
    return TrapOr("OpenRecordset - Using " + strSQL, kObject, Recordset(), [&] { return Open().Query(strSQL, rows); });
}

Recordset clsDatabase::OpenRecordsetInParts(const std::string& strSQL, const std::vector<std::string>& parts) {
    return TrapOr("OpenRecordset - Using " + strSQL, kObject, Recordset(),
                  [&] { return Open().QueryInParts(strSQL, parts); });
}

long clsDatabase::Execute(const std::string& strSQL) {
    return TrapOr("Execute - Using " + strSQL, kObject, 0L, [&] { return Open().Execute(strSQL); });
}

void clsDatabase::Transaction(int enTSState) {
    Trap("Transaction", kObject, [&] {
        if (enTSState < 0 || enTSState > 2) return;
        if (enTSState == 0) Open().Begin();
        else if (enTSState == 1) Open().Commit();
        else Open().Rollback();
    });
}

bool clsDatabase::Backup(const std::string& strFileName, bool* noRoom) {
    std::string live = LivePath();
    std::string temporary = strFileName + "tmp";
    std::unique_ptr<ScratchFolder> pending;
    const auto failed = [&](const RuntimeError& error) {
        RemoveWithJournal(temporary);
        if (noRoom) *noRoom = error.noRoom;
        modCommon::LogError(error, "Backup", kObject, !(noRoom && error.noRoom));
        return false;
    };
    TrapAction::Frame frame;
    return Catching(
        [&] {
            if (strcasecmp(strFileName.c_str(), live.c_str()) == 0 || FileSystem::SameFile(strFileName, live))
                return false;
            pending = NotePending(temporary);
            RemoveWithJournal(temporary);
            // A compacted snapshot from the open connection: consistent even while in use.
            Open().VacuumInto(temporary);
            FileSystem::Rename(temporary, strFileName);
            return true;
        },
        failed);
}

bool clsDatabase::IsUsableDatabase(const std::string& path) {
    std::string version, refusal;
    return OpenCandidate(path, version, refusal) && IsScriptVersion(version);
}

int clsDatabase::Restore(const std::string& strFilespec, RestoreReport* report) {
    RestoreReport unread;
    RestoreReport& out = report ? *report : unread;
    out = {};
    int result = 1;
    // Whether the live file opened as a sound database of this program.
    const bool sound = connection_ != nullptr;
    const std::string name = KeptName();
    // A write that failed has rolled back: the live file holds what it held. A file another
    // program holds is told as such where the failure is logged (3).
    const auto failed = [&](const RuntimeError& error) {
        if (!sound) connection_.reset();
        return error.InUse() ? 3 : result;
    };
    return TrapOr("Restore", kObject, failed, [&] {
        std::string version;
        std::unique_ptr<Connection> candidate = OpenCandidate(strFilespec, version, out.refusal);
        if (!candidate) return result;
        if (!IsScriptVersion(version)) {
            modCommon::ShowVersionMismatch(version);
            Program::End();
        }
        result = 2;
        try {
            out.kept = KeepPrevious(sound, name);
        } catch (const RuntimeError& e) {
            if (e.InUse()) throw;
            Prompts::MsgBox("Your data has not been restored, as the data you have now could not be copied to " + name +
                                ".mdb first:\r\n" + e.description,
                            Prompts::OKOnly | Prompts::Exclamation, "Data Not Restored");
            return 3;
        }
        OpenForRestore().CopyFrom(*candidate);
        candidate.reset();
        if (!modCommon::VersionCheckOn(*this)) {
            std::string stored = modCommon::StoredVersionOn(*this);
            if (!out.kept.empty()) PutPreviousBack(sound, out.kept);
            modCommon::ShowVersionMismatch(stored);
            Program::End();
        }
        return 0;
    });
}

// The content the restore replaces is copied first: through SQLite when the file was sound (the
// live file stays where it is, open to every program that has it), else byte for byte, as
// SQLite cannot read it or it is no database of this program. The copy is made in a scratch
// folder, held while this runs and gone however it ends, and takes a name of its own only when
// whole. Returns that name; "" when there was nothing to keep (no file at all).
std::string clsDatabase::KeepPrevious(bool sound, const std::string& name) {
    ScratchFolder scratch(modCommon::GetDatabaseFilespec());
    const std::string partial = FileSystem::Join(scratch.Path(), kFileName);
    if (sound) {
        Connection kept;
        kept.Open(partial, true);
        kept.CopyFrom(*connection_);
    } else if (FileSystem::Exists(LivePath())) {
        FileSystem::Copy(LivePath(), partial);
    } else {
        return "";
    }
    return TakeNewName(partial, name);
}

void clsDatabase::PutPreviousBack(bool sound, const std::string& previous) {
    if (sound) {
        Connection kept;
        kept.Open(previous);
        connection_->CopyFrom(kept);
    } else {
        connection_.reset();
        FileSystem::Copy(previous, LivePath());
    }
}

// The connection the restored content is written through. A gateway whose file would not open
// opens it now; a file SQLite cannot take for a database at all is emptied first (its bytes
// are kept), since an empty file is an empty database.
Connection& clsDatabase::OpenForRestore() {
    if (connection_) return *connection_;
    auto db = std::make_unique<Connection>();
    try {
        db->Open(LivePath(), true);
    } catch (const RuntimeError&) {
        FileSystem::WriteAll(LivePath(), "");
        db->Open(LivePath(), true);
    }
    Attach(std::move(db));
    return *connection_;
}

bool clsDatabase::DatabaseAvailable() const { return connection_ != nullptr; }

std::string clsDatabase::GetDatabaseFilespec() const { return LivePath(); }
