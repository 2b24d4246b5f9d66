#pragma once
#include <string>
#include <vector>

class Connection;

// The CSV exports of animals chosen by the keeper: their movements, their details and their tag
// changes, each a table of texts as the keeper's settings write them.
namespace CsvExports {

struct Table {
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;
};

// An animal chosen, as the animal grid shows it.
struct Chosen {
    long animal = 0, type = 0;
    std::string tag;
};

// Every movement of the chosen animals of the working species, animal by animal in the order
// chosen, each animal's oldest first; `ownedOnly` leaves out the animals not the keeper's own.
Table Movements(Connection& db, const std::vector<Chosen>& animals, bool ownedOnly);
// A line per chosen animal of the working species, tag-only rows left out, with its newest EID
// and its latest location.
Table Animals(Connection& db, const std::vector<Chosen>& animals, bool ownedOnly);
// Every tag change of the chosen animals, each animal's newest first.
Table TagChanges(Connection& db, const std::vector<Chosen>& animals);

// The file of a table: a header line of column names, then one line of quoted values per row,
// lines joined by CR LF, and no line end after the last.
std::string FileText(const Table& table);

}  // namespace CsvExports
