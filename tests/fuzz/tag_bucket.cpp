// A tag-bucket file in every layout: line by line as the stick tool's eartag list reads it,
// and row by row as the register's two imports read it.
#include "fuzz/Fuzz.h"
#include "platform/Csv.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/TextFile.h"
#include "register/TagBucketRows.h"
#include "sticktool/TagBucketFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = Fuzz::Folder() + "/CTags.txt";
    FileSystem::WriteAll(path, Fuzz::Text(data, size));
    Fuzz::Refusable([&] {
        const TagBucketFile file(path);
        for (std::size_t n = file.FirstDataLine(); file.Kind() != 0 && n <= file.Lines().size(); ++n)
            if (const std::string line = TrimBlanks(file.Lines()[n - 1]); !line.empty())
                TagBucketFile::ReadLine(file.Kind(), line);
    });
    for (bool allflex : {true, false})
        Fuzz::Refusable([&] {
            const CsvReader file = CsvReader::FromFile(path, ',', !allflex);
            for (std::size_t row = 0; row < file.RowCount(); ++row)
                allflex ? TagBucketRows::Allflex(file, row) : TagBucketRows::Maker(file, row);
        });
    return 0;
}
