// A simulated stick reader on a pseudo-terminal, for trying the program without a stick:
//   stick-sim [port number]
// prints the terminal's path and the settings line that makes the program list it, then
// answers as a stick until Ctrl-C.
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>

#include "fixtures/sim/SimStick.h"
#include "core/modRegistry.h"

int main(int argc, char** argv) {
    int port = argc > 1 ? std::atoi(argv[1]) : 9;
    if (port <= 0) {
        std::cerr << "usage: stick-sim [port number]\n";
        return 2;
    }
    // Ctrl-C and termination are taken by sigwait below, not by a handler.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    SimStick stick;
    stick.Start();
    std::cout << "Simulated stick reader on " << stick.SlavePath() << "\n\n"
              << "To see it in the program's port list as COM" << port << ", put these lines in\n"
              << "  " << modRegistry::MachineSettingsPath() << "\n\n"
              << "[SerialComm]\n"
              << stick.SlavePath() << "=COM" << port << "\n\n"
              << "Press Ctrl-C to stop." << std::endl;

    int received = 0;
    sigwait(&signals, &received);
    stick.Stop();
    std::cout << "\nStopped after " << stick.Received().size() << " commands." << std::endl;
    return 0;
}
