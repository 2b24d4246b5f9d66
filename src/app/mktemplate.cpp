// Builds the empty database the program ships beside its executable.
#include <cstdio>

#include "core/modSchema.h"
#include "platform/FileSystem.h"
#include "platform/RuntimeError.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kelvo-template <path of Kelvo.mdb>\n");
        return 2;
    }
    try {
        FileSystem::Remove(argv[1]);
        modSchema::CreateTemplate(argv[1]);
    } catch (const RuntimeError& e) {
        std::fprintf(stderr, "kelvo-template: %s\n", e.description.c_str());
        return 1;
    }
    return 0;
}
