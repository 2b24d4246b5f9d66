#pragma once
#include <string>
#include <vector>

#include "platform/DateTime.h"

class Connection;

// The treatments of the register: one row per treatment given, and a link row for every animal
// that received it.
namespace Treatments {

struct Treatment {
    DateTime date;
    std::string medicine;
    double amount = 0;
    std::string unit, treatedBy, reason;
};

// Every value recorded before in each of a treatment's lists, once per treatment.
struct Recorded {
    std::vector<std::string> medicines, units, names, reasons;
};
Recorded RecordedValues(Connection& db);

// Records the treatment for those of these animals still recorded, all of it or nothing: its
// key (0 when none of them is, and nothing was written), and how many of them were no longer
// recorded. A text longer than its column raises (InvalidCall) before anything is written.
struct Given {
    long long treatment = 0;
    long animalsGone = 0;
};
Given Record(Connection& db, const Treatment& treatment, const std::vector<long>& animals);

// Removes these links (a key of 0 stands for no stored link) and with them every treatment no
// animal is linked to any more, together or not at all. A treatment stays recorded for the other
// animals that received it.
void DeleteLinks(Connection& db, const std::vector<long>& links);

}  // namespace Treatments
