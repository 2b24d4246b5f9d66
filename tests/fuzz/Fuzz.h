#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/RuntimeError.h"

class Connection;

// What the fuzz targets share. Its LLVMFuzzerInitialize sets up the program's world once a
// process: an offscreen application, a scratch home whose error log goes nowhere, and prompts
// that close at once.
namespace Fuzz {

inline std::string Text(const std::uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}
// A promise of the code that the sanitizers cannot see: broken, the target stops.
void Check(bool holds, const char* what);
const std::string& Folder();  // a scratch folder of the process
// Runs a step that may refuse the input with a RuntimeError, as the program refuses what it cannot read.
template <class Step>
void Refusable(Step step) {
    try {
        step();
    } catch (const RuntimeError&) {
    }
}
// A target's preparation, made once before its first input, so that the time an input may take
// is not spent on windows and files that every input shares:
//     const Fuzz::Prepare prepared([] { frmMain::Instance(); });
struct Prepare {
    explicit Prepare(void (*step)());
};

// The empty database the program ships, in the program's folder.
const std::string& Template();
// The register's database at the newest version, through the program's gateway.
Connection& Database();
// A copy of that database as it was first made, and the register put back to it (after a
// restore has written another into it).
const std::string& PristineDatabase();
void PutBackDatabase();
// Breaks when a folder (a restore's scratch) is left in the data folder.
void CheckNoScratchLeft();
// Removes the copies restores kept in the data folder: a run's many restores would fill the disk.
void ForgetKeptCopies();

}  // namespace Fuzz
