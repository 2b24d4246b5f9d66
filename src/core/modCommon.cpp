#include "core/modCommon.h"

#include <QDateTime>
#include <QIcon>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QUuid>
#include <memory>

#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "core/clsTranslator.h"
#include "core/modMainWindowServices.h"
#include "core/modRegistry.h"
#include "core/modSchema.h"
#include "platform/Desktop.h"
#include "platform/FileSystem.h"
#include "platform/IniFile.h"
#include "platform/Program.h"
#include "platform/Prompts.h"
#include "platform/Text.h"

namespace modCommon {

int OxbrelMode = 0;
bool FormatUKSpace = false;
int EditionCode = FullEdition;
int Species = NoSpecies;
std::string CountryName;
bool HerdFlockRequired = false;
bool HoldingNumberRequired = false;
int EditLocationID = 0;

namespace {

const char* const kObject = "modCommon";

std::unique_ptr<clsDatabase> database_;
std::unique_ptr<clsTranslator> translator_;
int singleAnimalID_ = 0;
StartupWindows startup_;
bool insideLogger_ = false;

// The statements of KelvoData, each written once.
std::string ItemQuery(const std::string& itemName) {
    return "SELECT ItemData FROM KelvoData WHERE ItemName='" + SQLQuotes(itemName) + "'";
}

std::string ItemUpdate(const std::string& itemName, const std::string& itemData) {
    return "UPDATE KelvoData SET ItemData='" + SQLQuotes(itemData) + "' WHERE ItemName='" + SQLQuotes(itemName) + "'";
}

std::string ItemInsert(const std::string& itemName, const std::string& itemData) {
    return "INSERT INTO KelvoData (ItemName,ItemData) VALUES ('" + SQLQuotes(itemName) + "','" + SQLQuotes(itemData) +
           "')";
}

std::string ItemDelete(const std::string& itemName) {
    return "DELETE FROM KelvoData WHERE ItemName='" + SQLQuotes(itemName) + "'";
}

void RunIfSet(const std::function<void()>& f) {
    if (f) f();
}

}  // namespace

// ---- Program-wide objects --------------------------------------------------------------

void ResetProgramState() {
    ReleaseDatabase();
    translator_.reset();
    OxbrelMode = 0;
    FormatUKSpace = false;
    EditionCode = FullEdition;
    Species = NoSpecies;
    CountryName.clear();
    HerdFlockRequired = false;
    HoldingNumberRequired = false;
    EditLocationID = 0;
    singleAnimalID_ = 0;
    startup_ = {};
    clsDatabase::RegisterOnlineRestore(nullptr);
    modMainWindowServices::RegisterMainWindow(nullptr);
    modMainWindowServices::RegisterStickReaderWindow({});
    modMainWindowServices::RegisterMobilePhoneWindow({});
    modMainWindowServices::RegisterOnlineBackupWindow({});
}

clsDatabase& Database() {
    if (!database_) {
        database_ = std::make_unique<clsDatabase>();
        // Only now is the keeper asked about a restore of a file that would not open: either
        // restore then writes through this gateway, which keeps the restored file open.
        try {
            database_->OfferRestoreIfUnopened();
        } catch (...) {
            database_.reset();  // the program ends; a test that goes on starts afresh
            throw;
        }
    }
    return *database_;
}

void ReleaseDatabase() { database_.reset(); }

bool DatabaseCreated() { return database_ != nullptr; }

clsTranslator& Translator() {
    if (!translator_) translator_ = std::make_unique<clsTranslator>();
    return *translator_;
}

std::string Translate(const std::string& english, bool trim) { return Translator().Translate(english, trim); }

int GetSingleAnimalID() { return singleAnimalID_; }

void SetSingleAnimalID(int animalID) {
    Trap("SingleAnimalID", kObject, [&] {
        modMainWindowServices::SingleAnimalChanging();
        singleAnimalID_ = animalID;
        modMainWindowServices::SingleAnimalChanged();
    });
}

// ---- Start-up --------------------------------------------------------------------------

void RegisterStartupWindows(StartupWindows windows) { startup_ = std::move(windows); }

std::string ProgramVersion() {
    return std::to_string(KELVO_VERSION_MAJOR) + "." + std::to_string(KELVO_VERSION_MINOR) + "." +
           std::to_string(KELVO_VERSION_REVISION);
}

void ShowVersionMismatch(const std::string& storedVersion) {
    Prompts::MsgBox(
        "Your database is not the correct version for this program.\r\n"
        "Database version: " +
            storedVersion +
            "\r\n"
            "Program version: " +
            ProgramVersion() +
            "\r\n"
            "Please contact support to resolve this problem.",
        Prompts::OKOnly | Prompts::Exclamation, "Version Mismatch");
}

void Main(const std::string& arguments) {
    Trap("Main", kObject, [&] {
        OxbrelMode = Program::ExecutableName() == "OxbrelConnect" ? 1 : 0;
        FormatUKSpace = UpperAscii(arguments) == "FORMAT_UK_SPACE";
        Translator().SetTranslationOn(false);
        EditionCode = SimpleEdition;
        std::string flavour = modRegistry::GetRegistryValue("Flavour", "");
        if (flavour == "Full") {
            EditionCode = FullEdition;
            if (VersionCheck()) {
                RunIfSet(startup_.ShowSpecies);
                if (Species != NoSpecies) RunIfSet(startup_.ShowMain);
            } else if (Database().DatabaseAvailable()) {
                ShowVersionMismatch(StoredVersionOn(Database()));
            } else {
                Prompts::MsgBox("Cannot open your Kelvo database.", Prompts::OKOnly | Prompts::Exclamation,
                                "Database Open Failure");
            }
        } else if (flavour == "Engineering") {
            EditionCode = EngineeringEdition;
            if (startup_.ShowStickTool) startup_.ShowStickTool(EngineeringEdition);
        } else {
            Translator().SetTranslationOn(OxbrelMode != 1);
            EditionCode = SimpleEdition;
            if (startup_.ShowStickTool) startup_.ShowStickTool(SimpleEdition);
        }
    });
}

bool ConfirmExit() {
    int answer = Prompts::MsgBox("Do you want to exit this program now?", Prompts::YesNo, "Exit Program?");
    if (answer != Prompts::Yes) return false;
    Species = NoSpecies;
    return true;
}

std::string ServiceHomeURI() { return modRegistry::GetRegistryValue(RVBSHomeURISetting, DefaultRVBSHomeURI); }

bool GetExcel() {
    try {
        return Desktop::HasApplicationFor("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");
    } catch (...) {
        return false;
    }
}

namespace {

// The partner's icon: a plain badge drawn once.
QIcon OxbrelIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0, 102, 153));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(1, 1, 30, 30);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(14);
    painter.setFont(font);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, "OX");
    return QIcon(pixmap);
}

}  // namespace

// Set as the window's property rather than through its setter: core knows no widgets.
void SetFormIcon(QObject* window) {
    Trap("SetFormIcon", kObject, [&] {
        if (OxbrelMode == 1 && window) window->setProperty("windowIcon", OxbrelIcon());
    });
}

bool InIDE() { return false; }

// ---- Errors ----------------------------------------------------------------------------

namespace {

// The locale's short date with the year in four digits, where the locale's own has two: a log
// kept for years reads its years whole.
std::string LogTimestamp() {
    DateTime now = DateTime::Now();
    QLocale locale;
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy"))) format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return (locale.toString(now.ToQt().date(), format) + " " + now.ToQt().time().toString("HH:mm:ss")).toStdString();
}

void WriteLog(long number, const std::string& description, const std::string& procedure, const std::string& object,
              bool showMessage) {
    const std::string numberText = std::to_string(number);
    try {
        insideLogger_ = true;
        std::string folder = GetDatabaseFilespec();
        insideLogger_ = false;
        if (FileSystem::IsDirectory(folder))
            FileSystem::Append(FileSystem::Join(folder, "KelvoErrorLog.txt"),
                               LogTimestamp() + "\t" + description + " (Error number " + numberText +
                                   ") in procedure " + procedure + " in " + object + "\r\n");
    } catch (...) {
        insideLogger_ = false;
    }
    if (showMessage)
        Prompts::MsgBox("An error occurred in procedure " + procedure + " in " + object + "\r\n" + "The error was '" +
                            description + "' (Error number " + numberText + ")",
                        Prompts::OKOnly | Prompts::Critical, "Application Error");
}

void ShowDatabaseUnusable(const RuntimeError& error) {
    if (error.InUse())
        Prompts::MsgBox(
            "Your Kelvo database is in use by another program, so Kelvo cannot do this now.\r\n"
            "Close the other program and try again.",
            Prompts::OKOnly | Prompts::Exclamation, "Database In Use");
    else
        Prompts::MsgBox(
            "Your Kelvo database cannot be written, so Kelvo cannot do this now.\r\n"
            "Check that its file and folder are not read-only and that the disk is not "
            "write-protected, then try again.",
            Prompts::OKOnly | Prompts::Exclamation, "Database Cannot Be Written");
}

}  // namespace

void LogError(const RuntimeError& error, const std::string& procedure, const std::string& object, bool showMessage) {
    // After a failure of the database as a whole, the rest of the action meets the same
    // failure: the keeper has been told once. One the program carries on past unshown (a
    // compaction another program stopped) ends nothing.
    const bool shown = showMessage && TrapAction::Meets(error);
    // A database that another program holds, or that refuses writes, is no failure of the
    // program: the keeper reads what to do, and the log keeps what SQLite said.
    const bool plain = error.InUse() || error.ReadOnly();
    WriteLog(error.number, error.description, procedure, object, shown && !plain);
    if (shown && plain) ShowDatabaseUnusable(error);
}

void LogError(const std::exception& error, const std::string& procedure, const std::string& object, bool showMessage) {
    LogError(RuntimeError::From(error), procedure, object, showMessage);
}

// ---- Data folder and schema ------------------------------------------------------------

std::string GetDatabaseFilespec() {
    std::string folder = FileSystem::Join(Program::DataHome(), Program::ExecutableName());
    if (!FileSystem::IsDirectory(folder) && !FileSystem::CreateDirectories(folder) && !insideLogger_)
        LogError(RuntimeError(ErrorNumber::PathNotFound, "Path not found: " + folder), "GetDatabaseFilespec",
                 "clsDatabase");
    return folder;
}

std::string StoredVersionOn(clsDatabase& database) {
    Recordset rs = database.GetConnection().Query(ItemQuery("Version"));
    if (rs.Eof()) throw RuntimeError::NoCurrentRecord();
    return rs.Field(0).ToString();
}

namespace {

// Runs one entry of the upgrade script and stamps its version, all in one transaction: a
// failing statement leaves the database at the version before the entry. The failure is
// logged as the gateway logs a failing statement.
bool RunEntry(Connection& db, const std::string& version, const std::vector<std::string>& statements) {
    std::string procedure = "Execute - Using ";
    auto execute = [&](const std::string& statement) {
        procedure = "Execute - Using " + statement;
        db.Execute(statement);
    };
    return TrapOr(procedure, "clsDatabase", false, [&] {
        Connection::Transaction transaction(db);
        for (const auto& statement : statements) execute(statement);
        execute(ItemUpdate("Version", version));
        transaction.Commit();
        return true;
    });
}

// Brings the database up to the newest version; false when it cannot.
bool Upgrade(clsDatabase& database) {
    if (!database.DatabaseAvailable()) return false;
    std::string stored = StoredVersionOn(database);
    const std::string& script = modSchema::DatabaseUpgradeScript();
    std::vector<std::string> entries;
    for (std::size_t start = 0;;) {
        auto bar = script.find('|', start);
        entries.push_back(script.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    auto versionOf = [](const std::string& entry) { return entry.substr(0, entry.find('\r')); };
    bool matched = false;
    for (const auto& entry : entries) {
        if (!matched) {
            matched = versionOf(entry) == stored;
            continue;
        }
        if (!RunEntry(database.GetConnection(), versionOf(entry), modSchema::EntryStatements(entry))) return false;
    }
    if (matched) modSchema::CreateQueryIndexes(database.GetConnection());
    return matched;
}

// Registers made from an earlier template hold the removal location switched off, out of the
// keeper's reach: the locations list shows active locations only, and a permanent location can
// be neither edited nor deleted, so no keeper switched it off. It is switched on. One that is no
// longer permanent, which a keeper may have deleted, is left as it is.
void SwitchOnRemovalLocation(Connection& db) {
    const std::string where =
        " WHERE LocationID=1 AND LocationType=-4 AND ifnull(Permanent,0)<>0 AND ifnull(Active,0)=0";
    // A write that fails here (another program took the file meanwhile) is met again, and told,
    // when the keeper first changes something.
    Trap(
        "VersionCheck", kObject,
        [&] {
            if (db.Query("SELECT count(*) FROM Locations" + where).Field(0).ToLong() > 0)
                db.Execute("UPDATE Locations SET Active=1" + where);
        },
        TrapShows::LogOnly);
}

}  // namespace

bool VersionCheckOn(clsDatabase& database) {
    bool current = false;
    Trap("VersionCheck", kObject, [&] {
        current = Upgrade(database);
        if (current) SwitchOnRemovalLocation(database.GetConnection());
    });
    return current;
}

bool VersionCheck() { return VersionCheckOn(Database()); }

// ---- SQL text and shared utilities -----------------------------------------------------

std::string SQLQuotes(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 4);
    for (char c : text) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out;
}

std::string SQLDate(const DateTime& date) { return "'" + (date.IsZero() ? DateTime::Today() : date).ToText() + "'"; }

Value DeNull(const Value& value, const Value& replacement) { return value.IsNull() ? replacement : value; }

std::string GetDecimalSeparator() {
    std::string separator;
    Trap("GetDecimalSeparator", kObject, [&] { separator = QLocale().decimalPoint().toStdString(); });
    return separator;
}

std::string GetTextFieldSeparator() { return GetDecimalSeparator() == "," ? ";" : ","; }

std::string CreateGUIDString() {
    QUuid id = QUuid::createUuid();
    if (id.isNull()) return "";
    return id.toString(QUuid::WithoutBraces).toUpper().toStdString();
}

namespace {

unsigned char Shifted(unsigned char c, int delta) {
    int code = c + delta;
    if (code < 0 || code > 255) throw RuntimeError(ErrorNumber::InvalidCall, "Invalid procedure call or argument");
    return static_cast<unsigned char>(code);
}

}  // namespace

// The credentials are kept as one byte per character, as they always were.
std::string ScrambleText(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i)
        out += static_cast<char>(Shifted(static_cast<unsigned char>(text[i]), -static_cast<int>((i + 1) % 31)));
    return std::string(out.rbegin(), out.rend());
}

std::string UnscrambleText(const std::string& text) {
    std::string reversed(text.rbegin(), text.rend());
    std::string out;
    for (std::size_t i = 0; i < reversed.size(); ++i)
        out += static_cast<char>(Shifted(static_cast<unsigned char>(reversed[i]), static_cast<int>((i + 1) % 31)));
    return out;
}

// ---- Per-holding settings --------------------------------------------------------------

std::optional<std::string> FindKelvoData(const std::string& itemName) {
    Recordset rs = Database().OpenRecordset(ItemQuery(itemName));
    if (rs.Eof()) return std::nullopt;
    return rs.Field("ItemData").ToStringOr("");
}

std::string GetKelvoData(const std::string& itemName) {
    auto data = FindKelvoData(itemName);
    if (!data) throw RuntimeError::NoCurrentRecord();
    return *data;
}

std::vector<std::pair<std::string, std::string>> GetKelvoDataItems(const std::vector<std::string>& itemNames) {
    std::string names;
    for (const auto& name : itemNames) names += (names.empty() ? "'" : ",'") + SQLQuotes(name) + "'";
    Recordset rs = Database().OpenRecordset("SELECT * FROM KelvoData WHERE ItemName IN (" + names + ")");
    std::vector<std::pair<std::string, std::string>> items;
    for (; !rs.Eof(); rs.MoveNext())
        items.emplace_back(rs.Field("ItemName").ToStringOr(""), rs.Field("ItemData").ToStringOr(""));
    return items;
}

long AddKelvoData(const std::string& itemName, const std::string& itemData) {
    return Database().Execute(ItemInsert(itemName, itemData));
}

long AddKelvoData(Connection& db, const std::string& itemName, const std::string& itemData) {
    return db.Execute(ItemInsert(itemName, itemData));
}

long SetKelvoData(const std::string& itemName, const std::string& itemData) {
    if (GetKelvoDataItems({itemName}).empty()) return AddKelvoData(itemName, itemData);
    return Database().Execute(ItemUpdate(itemName, itemData));
}

long DeleteKelvoData(const std::string& itemName) { return Database().Execute(ItemDelete(itemName)); }

long DeleteKelvoData(Connection& db, const std::string& itemName) { return db.Execute(ItemDelete(itemName)); }

int GetLastUsedComPort(int deviceIndex) {
    auto value = IniFile::Read(modRegistry::UserSettingsPath(), "LastUsedComPort", std::to_string(deviceIndex));
    return static_cast<int>(Value(value.value_or("0")).ToLong());
}

void SetLastUsedComPort(int deviceIndex, int port) {
    IniFile::Write(modRegistry::UserSettingsPath(), "LastUsedComPort", std::to_string(deviceIndex),
                   std::to_string(port));
}

}  // namespace modCommon
