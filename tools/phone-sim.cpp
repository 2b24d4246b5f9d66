// A simulated phone running the handheld application, on a pseudo-terminal, for trying the
// program's phone window without a phone:
//   phone-sim [options] [port number]
// prints the terminal's path and the settings line that makes the program list it, then
// answers as the phone until Ctrl-C, and lists what it was sent.
//   --bytes-per-second N   the line's speed both ways in real time (1920 is 19,200 baud)
//   --capacity N           animals and tag-bucket entries it takes (4000 by default)
//   --fail WORD[:S]        command WORD answers with status letter S (F when left out)
//   --silent WORD          command WORD is never answered
//   --unplug-during WORD[:B]  the phone is pulled out while it answers WORD, after B bytes
//   --animal RECORD        a new or changed animal for getanim (nine "|" fields); likewise
//   --group RECORD         --group for getmangrp and --comment for getcom; each may be
//   --comment RECORD       given more than once
#include <cstdlib>
#include <iostream>
#include <string>

#include "sim/SimLineTool.h"
#include "sim/SimPhone.h"

namespace {

int Usage() {
    std::cerr << "usage: phone-sim [--bytes-per-second N] [--capacity N] [--fail WORD[:LETTER]]...\n"
                 "                 [--silent WORD]... [--unplug-during WORD[:BYTES]]\n"
                 "                 [--animal RECORD]... [--group RECORD]... [--comment RECORD]...\n"
                 "                 [port number]\n";
    return 2;
}

bool ParseOptions(int argc, char** argv, SimPhone& phone, int& port) {
    SimLine::Faults faults;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        const std::string value = hasValue ? argv[i + 1] : "";
        const long number = std::atol(value.c_str());
        if (argument == "--bytes-per-second" && number > 0) phone.SetBytesPerSecond(static_cast<int>(number));
        else if (argument == "--capacity" && (number > 0 || value == "0"))
            phone.SetCapacity(static_cast<size_t>(number));
        else if (argument == "--fail" && hasValue && SimLineTool::ParseFail(value, 20, faults)) {
        } else if (argument == "--silent" && hasValue) faults.silentTo.insert(value);
        else if (argument == "--unplug-during" && hasValue && SimLineTool::ParseUnplug(value, faults)) {
        } else if (argument == "--animal" && hasValue) phone.MarkAnimal(value);
        else if (argument == "--group" && hasValue) phone.MarkGroup(value);
        else if (argument == "--comment" && hasValue) phone.MarkComment(value);
        else if (i == argc - 1 && (port = std::atoi(argument.c_str())) > 0) continue;
        else return false;
        ++i;
    }
    phone.SetFaults(faults);
    return true;
}

void List(const char* what, const std::vector<std::string>& records) {
    std::cout << records.size() << " " << what << (records.empty() ? "" : ":") << "\n";
    for (const std::string& record : records) std::cout << "  " << record << "\n";
}

}  // namespace

int main(int argc, char** argv) {
    SimPhone phone;
    int port = 8;
    if (!ParseOptions(argc, argv, phone, port)) return Usage();
    SimLineTool::RunUntilStopped(phone, "phone", port);
    std::cout << phone.MarkedCount() << " records still marked new or changed.\n";
    List("pick-list entries", phone.Favourites());
    List("tag-bucket entries", phone.TagBucket());
    List("animals", phone.Animals());
    List("comments", phone.Comments());
    return 0;
}
