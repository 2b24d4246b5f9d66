#pragma once
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/DateTime.h"
#include "platform/RuntimeError.h"
#include "platform/Value.h"

class Connection;
class clsDatabase;
class clsTranslator;
class QObject;

// The program's entry point, its program-wide values and the small services every
// subsystem shares.
namespace modCommon {

// ---- Program-wide values -------------------------------------------------------------
extern int OxbrelMode;      // 1 when the executable is the partner's program
extern bool FormatUKSpace;  // the command line asks for spaced UK tag numbers
extern int EditionCode;     // one of the editions below
extern int Species;         // none chosen yet, or one of the species below
extern std::string CountryName;
extern bool HerdFlockRequired;
extern bool HoldingNumberRequired;
extern int EditLocationID;

// The values of EditionCode and of Species (also the species codes the database stores).
inline constexpr int FullEdition = 0, SimpleEdition = 1, EngineeringEdition = 2;
inline constexpr int NoSpecies = 0, Cattle = 1, Sheep = 2;

// Puts the program-wide state back as a fresh start finds it: the values above, the gateway
// released (and so compacted), the translator, the single animal, and every window, pane and
// service registered with core (here, with the gateway and with modMainWindowServices).
void ResetProgramState();

// The program-wide gateway and translator, created on first use.
clsDatabase& Database();
// Releases the program-wide gateway (which compacts the file); the next use makes a new one.
void ReleaseDatabase();
bool DatabaseCreated();
clsTranslator& Translator();
// The program-wide translator's text for an English one (trimmed of blanks first when asked).
std::string Translate(const std::string& english, bool trim = false);

// The animal the main window's detail panes show. A change is told to the main window
// (modMainWindowServices), which saves the note shown, then shows the panes again; without one
// only the value changes.
int GetSingleAnimalID();
void SetSingleAnimalID(int animalID);

// ---- Start-up --------------------------------------------------------------------------
// The windows start-up opens, registered by the subsystems above core at start-up.
struct StartupWindows {
    std::function<void()> ShowSpecies;                   // the country and species window, modal
    std::function<void()> ShowMain;                      // the main window, modeless
    std::function<void(int editionCode)> ShowStickTool;  // the stick tool window, modeless
};
void RegisterStartupWindows(StartupWindows windows);
// Decides the modes and the edition from the command line and settings and opens the first
// window. `arguments` is the whole command-line text after the program's name.
void Main(const std::string& arguments);

// "1.0.4"-style program version text: major, minor and revision.
std::string ProgramVersion();

bool ConfirmExit();
// True when a spreadsheet application is there to open the sheets the program writes.
bool GetExcel();
// The online backup service's home address: the per-machine setting "RVBSHomeURI", else the
// service's own.
inline constexpr const char* RVBSHomeURISetting = "RVBSHomeURI";
inline constexpr const char* DefaultRVBSHomeURI = "https://www.rvbs.example";
std::string ServiceHomeURI();
// Gives a window the partner's icon in the partner's mode.
void SetFormIcon(::QObject* window);
bool InIDE();

// ---- Errors ----------------------------------------------------------------------------
// Appends the failure to "KelvoErrorLog.txt" in the data folder and, when asked, shows it.
// A procedure that traps its errors does so with Trap (core/Trap.h), which calls this.
void LogError(const RuntimeError& error, const std::string& procedure, const std::string& object,
              bool showMessage = true);
// The same for a failure that is not a RuntimeError (a std::exception's text, number 5).
void LogError(const std::exception& error, const std::string& procedure, const std::string& object,
              bool showMessage = true);

// ---- Data folder and schema ------------------------------------------------------------
// The data folder, created when missing.
std::string GetDatabaseFilespec();
bool VersionCheck();
// The same on a given gateway (a restore checks the file it has just opened).
bool VersionCheckOn(clsDatabase& database);
// The version stored in KelvoData (raises when there is none).
std::string StoredVersionOn(clsDatabase& database);
// The "Version Mismatch" message for a stored version.
void ShowVersionMismatch(const std::string& storedVersion);

// ---- SQL text and shared utilities -----------------------------------------------------
std::string SQLQuotes(const std::string& text);
// 'YYYY-MM-DD HH:MM:SS' with its quotes; a zero date gives today at midnight.
std::string SQLDate(const DateTime& date);
Value DeNull(const Value& value, const Value& replacement);
std::string GetDecimalSeparator();
std::string GetTextFieldSeparator();
std::string CreateGUIDString();
std::string ScrambleText(const std::string& text);
std::string UnscrambleText(const std::string& text);

// ---- Per-holding settings in KelvoData ---------------------------------------------------
// Every read and write of the table KelvoData (ItemName, ItemData) goes through these, with
// the statements the program has always used. On the program-wide gateway a failing
// statement is logged there ("Execute - Using ...") and a write gives 0 rows, as the gateway's
// Execute does; a failed query raises at the reader's first look, as every unopened recordset
// does. The writes that take a Connection raise instead and log nothing: they are for
// all-or-nothing work inside a Connection::Transaction, whose procedure reports the failure.

// The item's text ("" for a null), or nothing when the item has no row.
//   SELECT ItemData FROM KelvoData WHERE ItemName='<item>'
std::optional<std::string> FindKelvoData(const std::string& itemName);
// The same, for an item that must be there: no row raises 3021, as reading the field of an
// empty recordset does.
std::string GetKelvoData(const std::string& itemName);
// The rows of the items, as (ItemName, ItemData) pairs in the table's order.
//   SELECT * FROM KelvoData WHERE ItemName IN ('<item>','<item>')
std::vector<std::pair<std::string, std::string>> GetKelvoDataItems(const std::vector<std::string>& itemNames);
// Adds a row for the item, whether it has one or not.
//   INSERT INTO KelvoData (ItemName,ItemData) VALUES ('<item>','<data>')
long AddKelvoData(const std::string& itemName, const std::string& itemData);
long AddKelvoData(Connection& db, const std::string& itemName, const std::string& itemData);
// Sets the item: its rows are updated when it has any (looked up as GetKelvoDataItems does),
// else a row is added.
//   UPDATE KelvoData SET ItemData='<data>' WHERE ItemName='<item>'
long SetKelvoData(const std::string& itemName, const std::string& itemData);
// Deletes the item's rows.
//   DELETE FROM KelvoData WHERE ItemName='<item>'
long DeleteKelvoData(const std::string& itemName);
long DeleteKelvoData(Connection& db, const std::string& itemName);

// The per-user last serial port of a device window (2 stick reader, 3 phone); 0 = none.
int GetLastUsedComPort(int deviceIndex);
void SetLastUsedComPort(int deviceIndex, int port);

}  // namespace modCommon
