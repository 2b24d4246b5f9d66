#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

class Connection;

// What every fuzz target shares. LLVMFuzzerInitialize (here) sets up the program's world once a
// process: an offscreen application, a scratch home and data folder whose error log goes nowhere,
// and prompts that close at once as a keeper answering no would.
namespace Fuzz {

inline std::string Text(const std::uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}
// A fault the sanitizers cannot see (a broken promise of the code): the target stops here.
void Check(bool holds, const char* what);
// A scratch folder of the process.
const std::string& Folder();
// The register's database at the newest version, through the program's gateway.
Connection& Database();

}  // namespace Fuzz
