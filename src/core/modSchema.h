#pragma once
#include <string>
#include <vector>

#include "platform/DateTime.h"
#include "platform/Value.h"

class Connection;

// The format of the database file: the empty template the program ships (version "1.0.0"),
// the upgrade script that brings any database to the newest version, and the movement
// scripts' placeholders.
namespace modSchema {

// Entries separated by "|"; each is a version, a carriage return, then its statements
// separated by line feeds.
const std::string& DatabaseUpgradeScript();
// The versions the script lists, in order.
std::vector<std::string> ScriptVersions();
// The statements of one entry of the script.
std::vector<std::string> EntryStatements(const std::string& entry);

// What keeps a database whose stored version is `version` (one the script lists) from being one
// of this program's: a table the program reads or writes that is missing, a column of it that
// is missing, or a key that is not an INTEGER PRIMARY KEY (only such a key gives every new row a
// number of its own). "" when there is none. Only the schema is read, never the rows.
std::string SchemaProblem(Connection& db, const std::string& version);

// The indexes that answer the animal grid's query from the index alone (an animal's current
// location, the order by species and tag) and give the movement history in date order, made where
// a database of the newest version lacks them (one made before they were part of the template),
// with the smaller index they replace dropped.
// A database that takes no writes keeps working without them.
void CreateQueryIndexes(Connection& db);

// Writes the empty template database at `path` (which must not exist yet).
void CreateTemplate(const std::string& path);

// A movement script's statement with its placeholders ("@AnimalID", "@Date", "@DeathReason",
// "@Details", "@LocationID") as the parameters ?1 to ?5, in one pass, to be prepared once and
// run for many animals with MovementParameters bound: the values never pass through the SQL
// text, so a text holding quotes or a placeholder's name is stored as it is. A placeholder
// inside a quoted literal ('@Details') joins the literal's text.
std::string MovementStatementWithParameters(const std::string& statement);
std::vector<Value> MovementParameters(long animalID, const DateTime& date, const std::string& deathReason,
                                      const std::string& details, long locationID);

// For a movement script's statements as a database holds them, when they are those of a script this
// program ships: the statements that do for every animal of temp.MovingAnimals (SetMovingAnimals),
// run once each in this order with MovementParameters bound, what the script does for each of them
// run for one animal after another, in their order: the same rows, row for row, keys included.
// Empty for any other statements.
std::vector<std::string> MovementStatementsForMany(const std::vector<std::string>& statements);
// Makes temp.MovingAnimals (Position, AnimalID) hold `animals` in this order, in the caller's
// transaction.
void SetMovingAnimals(Connection& db, const std::vector<long long>& animals);

}  // namespace modSchema
