#include "core/modCommon.h"

#include <QDateTime>
#include <QIcon>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QUuid>
#include <QWidget>
#include <memory>

#include "core/clsDatabase.h"
#include "core/clsTranslator.h"
#include "core/modRegistry.h"
#include "core/modSchema.h"
#include "platform/Desktop.h"
#include "platform/FileSystem.h"
#include "platform/IniFile.h"
#include "platform/Program.h"
#include "platform/Prompts.h"

namespace modCommon {

int OxbrelMode = 0;
bool FormatUKSpace = false;
int EditionCode = 0;
int Species = 0;
std::string CountryName;
bool HerdFlockRequired = false;
bool HoldingNumberRequired = false;
int EditLocationID = 0;

namespace {

const char* const kObject = "modCommon";

std::unique_ptr<clsDatabase> gDatabase;
std::unique_ptr<clsTranslator> gTranslator;
int gSingleAnimalID = 0;
SingleAnimalPanes gPanes;
StartupWindows gStartup;
bool gInsideLogger = false;

std::string Upper(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string VersionQuery() { return "SELECT ItemData FROM KelvoData WHERE ItemName='" + std::string("Version") + "'"; }

void RunIfSet(const std::function<void()>& f) {
    if (f) f();
}

}  // namespace

// ---- Program-wide objects --------------------------------------------------------------

clsDatabase& Database() {
    if (!gDatabase) {
        gDatabase = std::make_unique<clsDatabase>();
        // Only now is the keeper asked about a restore of a file that would not open: either
        // restore then writes through this gateway, which keeps the restored file open.
        try {
            gDatabase->OfferRestoreIfUnopened();
        } catch (...) {
            gDatabase.reset();  // the program ends; a test that goes on starts afresh
            throw;
        }
    }
    return *gDatabase;
}

void ReleaseDatabase() { gDatabase.reset(); }

bool DatabaseCreated() { return gDatabase != nullptr; }

clsTranslator& Translator() {
    if (!gTranslator) gTranslator = std::make_unique<clsTranslator>();
    return *gTranslator;
}

int GetSingleAnimalID() { return gSingleAnimalID; }

void SetSingleAnimalID(int animalID) {
    try {
        RunIfSet(gPanes.SaveNote);
        gSingleAnimalID = animalID;
        RunIfSet(gPanes.DisplayNote);
        RunIfSet(gPanes.DisplayPedigree);
        RunIfSet(gPanes.DisplayMovements);
        RunIfSet(gPanes.DisplayTagChanges);
        RunIfSet(gPanes.DisplayTreatments);
    } catch (const RuntimeError& e) {
        LogError(e, "SingleAnimalID", kObject);
    }
}

void RegisterSingleAnimalPanes(SingleAnimalPanes panes) { gPanes = std::move(panes); }

// ---- Start-up --------------------------------------------------------------------------

void RegisterStartupWindows(StartupWindows windows) { gStartup = std::move(windows); }

std::string ProgramVersion() {
    return std::to_string(KELVO_VERSION_MAJOR) + "." + std::to_string(KELVO_VERSION_MINOR) + "." +
           std::to_string(KELVO_VERSION_REVISION);
}

void ShowVersionMismatch(const std::string& storedVersion) {
    Prompts::MsgBox("Your database is not the correct version for this program.\r\n"
                    "Database version: " + storedVersion + "\r\n"
                    "Program version: " + ProgramVersion() + "\r\n"
                    "Please contact support to resolve this problem.",
                    Prompts::OKOnly | Prompts::Exclamation, "Version Mismatch");
}

void Main(const std::string& arguments) {
    try {
        OxbrelMode = Program::ExecutableName() == "OxbrelConnect" ? 1 : 0;
        FormatUKSpace = Upper(arguments) == "FORMAT_UK_SPACE";
        Translator().SetTranslationOn(false);
        EditionCode = 1;
        std::string flavour = modRegistry::GetRegistryValue("Flavour", "");
        if (flavour == "Full") {
            EditionCode = 0;
            if (VersionCheck()) {
                RunIfSet(gStartup.ShowSpecies);
                if (Species != 0) RunIfSet(gStartup.ShowMain);
            } else if (Database().DatabaseAvailable()) {
                ShowVersionMismatch(StoredVersionOn(Database()));
            } else {
                Prompts::MsgBox("Cannot open your Kelvo database.", Prompts::OKOnly | Prompts::Exclamation,
                                "Database Open Failure");
            }
        } else if (flavour == "Engineering") {
            EditionCode = 2;
            if (gStartup.ShowStickTool) gStartup.ShowStickTool(2);
        } else {
            Translator().SetTranslationOn(OxbrelMode != 1);
            EditionCode = 1;
            if (gStartup.ShowStickTool) gStartup.ShowStickTool(1);
        }
    } catch (const RuntimeError& e) {
        LogError(e, "Main", kObject);
    }
}

bool ConfirmExit() {
    int answer = Prompts::MsgBox("Do you want to exit this program now?", Prompts::YesNo, "Exit Program?");
    if (answer != Prompts::Yes) return false;
    Species = 0;
    return true;
}

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

void SetFormIcon(QWidget* window) {
    try {
        if (OxbrelMode == 1 && window) window->setWindowIcon(OxbrelIcon());
    } catch (const RuntimeError& e) {
        LogError(e, "SetFormIcon", kObject);
    }
}

bool InIDE() { return false; }

// ---- Errors ----------------------------------------------------------------------------

namespace {

std::string LogTimestamp() {
    DateTime now = DateTime::Now();
    QLocale locale;
    return (locale.toString(now.ToQt().date(), QLocale::ShortFormat) + " " +
            now.ToQt().time().toString("HH:mm:ss")).toStdString();
}

void WriteLog(long number, const std::string& description, const std::string& procedure,
              const std::string& object, bool showMessage) {
    const std::string numberText = std::to_string(number);
    try {
        gInsideLogger = true;
        std::string folder = GetDatabaseFilespec();
        gInsideLogger = false;
        if (FileSystem::IsDirectory(folder))
            FileSystem::Append(FileSystem::Join(folder, "KelvoErrorLog.txt"),
                               LogTimestamp() + "\t" + description + " (Error number " + numberText +
                                   ") in procedure " + procedure + " in " + object + "\r\n");
    } catch (...) {
        gInsideLogger = false;
    }
    if (showMessage)
        Prompts::MsgBox("An error occurred in procedure " + procedure + " in " + object + "\r\n" +
                            "The error was '" + description + "' (Error number " + numberText + ")",
                        Prompts::OKOnly | Prompts::Critical, "Application Error");
}

}  // namespace

void LogError(const RuntimeError& error, const std::string& procedure, const std::string& object,
              bool showMessage) {
    WriteLog(error.number, error.description, procedure, object, showMessage);
}

void LogError(const std::exception& error, const std::string& procedure, const std::string& object,
              bool showMessage) {
    if (auto* runtime = dynamic_cast<const RuntimeError*>(&error)) {
        LogError(*runtime, procedure, object, showMessage);
        return;
    }
    WriteLog(ErrorNumber::InvalidCall, error.what(), procedure, object, showMessage);
}

// ---- Data folder and schema ------------------------------------------------------------

std::string GetDatabaseFilespec() {
    std::string folder = FileSystem::Join(Program::DataHome(), Program::ExecutableName());
    if (!FileSystem::IsDirectory(folder) && !FileSystem::CreateDirectories(folder) && !gInsideLogger)
        LogError(RuntimeError(ErrorNumber::PathNotFound, "Path not found: " + folder), "GetDatabaseFilespec",
                 "clsDatabase");
    return folder;
}

std::string StoredVersionOn(clsDatabase& database) {
    Recordset rs = database.GetConnection().Query(VersionQuery());
    if (rs.Eof()) throw RuntimeError(ErrorNumber::NoCurrentRecord,
                                     "Either BOF or EOF is True, or the current record has been deleted. "
                                     "Requested operation requires a current record.");
    return rs.Field(0).ToString();
}

namespace {

// Runs one entry of the upgrade script and stamps its version, all in one transaction: a
// failing statement leaves the database at the version before the entry.
bool RunEntry(Connection& db, const std::string& version, const std::vector<std::string>& statements) {
    std::string current;
    try {
        db.Begin();
        for (const auto& statement : statements) {
            current = statement;
            db.Execute(statement);
        }
        current = "UPDATE KelvoData SET ItemData='" + version + "' WHERE ItemName='" + "Version" + "'";
        db.Execute(current);
        db.Commit();
        return true;
    } catch (const RuntimeError& e) {
        if (db.InTransaction()) db.Rollback();
        LogError(e, "Execute - Using " + current, "clsDatabase");
        return false;
    }
}

}  // namespace

bool VersionCheckOn(clsDatabase& database) {
    try {
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
        if (versionOf(entries.back()) == stored) return true;
        bool matched = false;
        for (const auto& entry : entries) {
            if (!matched) {
                matched = versionOf(entry) == stored;
                continue;
            }
            if (!RunEntry(database.GetConnection(), versionOf(entry), modSchema::EntryStatements(entry)))
                return false;
        }
        return matched;
    } catch (const RuntimeError& e) {
        LogError(e, "VersionCheck", kObject);
        return false;
    }
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

std::string SQLDate(const DateTime& date) {
    return "'" + (date.IsZero() ? DateTime::Today() : date).ToText() + "'";
}

Value DeNull(const Value& value, const Value& replacement) { return value.IsNull() ? replacement : value; }

std::string GetDecimalSeparator() {
    try {
        return QLocale().decimalPoint().toStdString();
    } catch (const RuntimeError& e) {
        LogError(e, "GetDecimalSeparator", kObject);
        return "";
    }
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

std::string GetKelvoData(const std::string& itemName) {
    Recordset rs = Database().OpenRecordset("SELECT ItemData FROM KelvoData WHERE ItemName='" + SQLQuotes(itemName) + "'");
    if (!rs.IsOpen() || rs.Eof()) return "";
    return rs.Field(0).ToStringOr("");
}

void SetKelvoData(const std::string& itemName, const std::string& itemData) {
    Connection& db = Database().GetConnection();
    bool own = !db.InTransaction();
    try {
        if (own) db.Begin();
        db.Execute("DELETE FROM KelvoData WHERE ItemName='" + SQLQuotes(itemName) + "'");
        db.Execute("INSERT INTO KelvoData (ItemName, ItemData) VALUES ('" + SQLQuotes(itemName) + "','" +
                   SQLQuotes(itemData) + "')");
        if (own) db.Commit();
    } catch (...) {
        if (own && db.InTransaction()) db.Rollback();
        throw;
    }
}

int GetLastUsedComPort(int deviceIndex) {
    auto value = IniFile::Read(modRegistry::UserSettingsPath(), "LastUsedComPort", std::to_string(deviceIndex));
    return static_cast<int>(Value(value.value_or("0")).ToLong());
}

void SetLastUsedComPort(int deviceIndex, int port) {
    IniFile::Write(modRegistry::UserSettingsPath(), "LastUsedComPort", std::to_string(deviceIndex), std::to_string(port));
}

}  // namespace modCommon
