// A downloaded archive: listed, and unzipped into a folder of its own as a restore unpacks one.
#include <filesystem>

#include "backup/cUnzip.h"
#include "fuzz/Fuzz.h"
#include "platform/FileSystem.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string archive = Fuzz::Folder() + "/backup.zip", folder = Fuzz::Folder() + "/unzipped";
    FileSystem::WriteAll(archive, Fuzz::Text(data, size));
    FileSystem::CreateDirectories(folder);
    cUnzip unzip;
    unzip.SetZipFile(archive);
    unzip.Directory();
    for (long i = 1; i <= unzip.FileCount(); ++i) unzip.FilePackedSize(i);
    unzip.SetUnzipFolder(folder);
    unzip.SetOverwriteExisting(true);
    unzip.Unzip();
    std::filesystem::remove_all(folder);
    return 0;
}
