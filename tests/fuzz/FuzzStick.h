#pragma once
#include <QWidget>

#include <memory>
#include <string>

#include "platform/Prompts.h"
#include "sticktool/StickConnection.h"

class EngineeringFrame;

namespace Fuzz {

// The engineering edition's stick tools without their window, on the fuzzed line: the stick's
// connection, the factory tools' frame, and a keeper who answers the acceptance test as the
// factory does (a clock of 512 Hz, serial number 123456789, one autotune read, the read range
// passed). Made afresh for each input, so that nothing one stick said stays for the next.
class StickTools {
public:
    StickTools();
    ~StickTools();
    StickTools(const StickTools&) = delete;
    StickTools& operator=(const StickTools&) = delete;

    StickConnection stick;
    QWidget window;
    EngineeringFrame* frame;

    // The acceptance test, with the small battery, the agricultural use and a configuration
    // file of this text chosen.
    void AcceptanceTest(const std::string& configuration);

private:
    std::unique_ptr<Prompts::Handler> before_;
};

}  // namespace Fuzz
