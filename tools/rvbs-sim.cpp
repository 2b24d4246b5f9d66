// A stand-in for the online backup service on this machine, for trying the program's online
// backup and restore without the service:
//   rvbs-sim [--port N] [--user NAME] [--password WORD]
// prints the settings line that points the program at it, then keeps the backups it is sent and
// serves them to a restore until Ctrl-C, and lists them when stopped. The backups live as long
// as it runs.
//   --port N          the port of 127.0.0.1 it listens on (8765 by default; 0 takes a free one)
//   --user NAME       the account's user name ("keeper" by default)
//   --password WORD   the account's password ("secret" by default)
#include <cstdlib>
#include <iostream>
#include <string>

#include "backup/modRVBS.h"
#include "core/modRegistry.h"
#include "sim/FakeRVBS.h"
#include "sim/SimLineTool.h"

namespace {

int Usage() {
    std::cerr << "usage: rvbs-sim [--port N] [--user NAME] [--password WORD]\n";
    return 2;
}

struct Options {
    int port = 8765;
    std::string user = "keeper", password = "secret";
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string argument = argv[i], value = argv[i + 1];
        char* end = nullptr;
        if (argument == "--port") options.port = static_cast<int>(std::strtol(value.c_str(), &end, 10));
        else if (argument == "--user") options.user = value;
        else if (argument == "--password") options.password = value;
        else return false;
        if (argument == "--port" && (value.empty() || *end || options.port < 0 || options.port > 65535)) return false;
    }
    return argc % 2 == 1;
}

// A line for each backup received whole, each list asked for and each restore sent whole.
void Tell(const FakeRVBS::Request& request) {
    const auto field = [&](const char* name) {
        const auto it = request.fields.find(name);
        return it == request.fields.end() ? std::string() : it->second;
    };
    const bool last = field("MessageNo") == field("TotalMessages");
    if (request.operation == "BackupData" && last)
        std::cout << "Backup \"" << field("DataSourceDescription") << "\" received in " << field("TotalMessages")
                  << " pieces." << std::endl;
    else if (request.operation == "RestoreDataSourceList") std::cout << "The list of backups asked for." << std::endl;
    else if (request.operation == "RestoreData" && last)
        std::cout << "Backup " << field("RestoreDataSourceGUID") << " sent for a restore in " << field("TotalMessages")
                  << " pieces." << std::endl;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) return Usage();
    SimLineTool::HoldStopSignals();
    FakeRVBS service(modRVBS::ServiceNamespace());
    service.SetAccount(options.user, options.password);
    service.OnRequest(Tell);
    if (!service.Start(options.port)) {
        std::cerr << "rvbs-sim: port " << options.port << " of 127.0.0.1 is taken; choose another with --port\n";
        return 1;
    }
    std::cout << "Simulated online backup service at " << service.Endpoint() << "\n"
              << "Sign in as \"" << options.user << "\" with the password \"" << options.password << "\".\n\n"
              << "To have the program use it, put this line at the top of\n"
              << "  " << modRegistry::MachineSettingsPath() << "\n"
              << "(above any [section] line):\n\n"
              << modRVBS::EndpointSetting << "=" << service.Endpoint() << "\n\n"
              << "Press Ctrl-C to stop." << std::endl;
    SimLineTool::WaitUntilStopped();
    service.Stop();
    const auto backups = service.Backups();
    std::cout << "\nStopped; " << backups.size() << (backups.size() == 1 ? " backup" : " backups") << " held"
              << (backups.empty() ? "." : ":") << "\n";
    for (const auto& backup : backups)
        std::cout << "  " << backup.description << " (" << backup.lastBackupDate << ", " << backup.fileSize
                  << " bytes)\n";
    return 0;
}
