// A CSV file, with and without its header: every field of every row, by number and by name.
#include "platform/Csv.h"
#include "fuzz/Fuzz.h"
#include "platform/TextFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (bool header : {true, false}) {
        const CsvReader file(TextFile::Decode(Fuzz::Text(data, size)), ',', header);
        for (std::size_t row = 0; row < file.RowCount(); ++row)
            for (std::size_t column = 0; column < file.Header().size(); ++column)
                file.Value(row, file.Header()[column]), file.Value(row, static_cast<int>(column));
    }
    return 0;
}
