// A simulated stick reader on a pseudo-terminal, for trying the program without a stick:
//   stick-sim [options] [port number]
// prints the terminal's path and the settings line that makes the program list it, then
// answers as a stick until Ctrl-C.
//   --bytes-per-second N   the line's speed both ways in real time (1920 is 19,200 baud);
//                          by default the terminal's own
//   --unplug-during L:B    the stick is pulled out while it answers command L ("*" = any),
//                          after B bytes of its reply (0 when left out); stick-sim then ends
//   --pages N              memory size in pages (64 by default)
//   --failing-page N       the memory test of page N fails
//   --fail WORD[:S]        command WORD (a letter, or "qM", "qT" ...) answers with status
//                          letter S (F when left out); may be given more than once
//   --fail-add N           the Nth eartag sent after the list was emptied is refused
//   --fail-write N         the Nth configuration item written since the last load is refused
//   --reads FILE           the stick holds these reads for an import: records as its "r"
//                          reply sends them, "EID|group|ddmmyyhhnnss" separated by "#" or
//                          each on a line of its own
#include <cstdlib>
#include <iostream>
#include <string>

#include "platform/RuntimeError.h"
#include "platform/TextFile.h"
#include "sim/SimLineTool.h"
#include "sim/SimStick.h"

namespace {

int Usage() {
    std::cerr << "usage: stick-sim [--bytes-per-second N] [--unplug-during LETTER[:BYTES]]\n"
                 "                 [--pages N] [--failing-page N] [--fail WORD[:LETTER]]...\n"
                 "                 [--fail-add N] [--fail-write N] [--reads FILE] [port number]\n";
    return 2;
}

struct Options {
    int port = 9;
    int bytesPerSecond = 0;
    long pages = 64;
    std::string reads;  // the file of stored reads
    SimStick::Faults faults;
};

// A whole number of at least `least`, or -1.
long Count(const char* text, long least) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return *text && !*end && value >= least ? value : -1;
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--bytes-per-second" && hasValue) {
            options.bytesPerSecond = std::atoi(argv[++i]);
            if (options.bytesPerSecond <= 0) return false;
        } else if (argument == "--unplug-during" && hasValue) {
            if (!SimLineTool::ParseUnplug(argv[++i], options.faults)) return false;
        } else if (argument == "--pages" && hasValue) {
            if ((options.pages = Count(argv[++i], 0)) < 0) return false;
        } else if (argument == "--failing-page" && hasValue) {
            if ((options.faults.failingPage = Count(argv[++i], 0)) < 0) return false;
        } else if (argument == "--fail" && hasValue) {
            if (!SimLineTool::ParseFail(argv[++i], 2, options.faults)) return false;
        } else if (argument == "--fail-add" && hasValue) {
            if ((options.faults.failAddAt = static_cast<int>(Count(argv[++i], 1))) < 0) return false;
        } else if (argument == "--fail-write" && hasValue) {
            if ((options.faults.failWriteAt = static_cast<int>(Count(argv[++i], 1))) < 0) return false;
        } else if (argument == "--reads" && hasValue) {
            options.reads = argv[++i];
        } else {
            options.port = std::atoi(argument.c_str());
            if (options.port <= 0) return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) return Usage();
    SimStick stick;
    if (!options.reads.empty()) {
        try {
            stick.AddRecordsText(TextFile::Read(options.reads));
        } catch (const RuntimeError& e) {
            std::cerr << "stick-sim: " << e.description << "\n";
            return 2;
        }
    }
    stick.SetBytesPerSecond(options.bytesPerSecond);
    stick.SetPageCount(options.pages);
    stick.SetFaults(options.faults);
    SimLineTool::RunUntilStopped(stick, "stick reader", options.port);
    std::cout << stick.Records().size() << " reads and " << stick.Eartags().size() << " eartags held." << std::endl;
    return 0;
}
