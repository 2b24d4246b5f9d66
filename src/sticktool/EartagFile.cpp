#include "sticktool/EartagFile.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "core/modEID.h"
#include "platform/Csv.h"
#include "platform/TextFile.h"

namespace EartagFile {

namespace {

constexpr std::size_t kTagCharacters = 16;

// The first characters of UTF-8 text.
std::string FirstCharacters(const std::string& text, std::size_t count) {
    std::size_t pos = 0;
    for (std::size_t n = 0; n < count && pos < text.size(); ++n) TextFile::NextUtf8(text, pos);
    return text.substr(0, pos);
}

std::vector<Entry> Entries(const CsvReader& file) {
    std::vector<Entry> entries;
    entries.reserve(file.RowCount());
    for (std::size_t row = 0; row < file.RowCount(); ++row)
        entries.push_back({file.Value(row, "HerdId"), file.Value(row, "tagnumber"), file.Value(row, "EIDNumber"),
                           file.Value(row, "Active"), file.LineNumber(row)});
    return entries;
}

}  // namespace

std::vector<Entry> Read(const std::string& path) { return Entries(CsvReader::FromFile(path)); }

std::vector<Entry> Parse(std::string_view bytes) { return Entries(CsvReader(TextFile::Decode(bytes))); }

bool IsStoredCode(const std::string& eid) {
    return eid.size() == 16 && std::string_view("89ABCDEF").find(eid[0]) != std::string_view::npos &&
           std::all_of(eid.begin(), eid.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'F'); });
}

bool HoldsStickSeparator(const std::string& text) { return text.find_first_of("|#") != std::string::npos; }

std::string HexEID(const std::string& eid) {
    if (eid.empty() || std::string_view("89ABCDEF").find(eid[0]) != std::string_view::npos) return eid;
    return modEID::DecimalEIDToHexEID(eid);
}

std::vector<std::string> StickEntries(const std::vector<Entry>& entries, std::string& refused) {
    refused.clear();
    std::vector<std::string> sent;
    for (const Entry& entry : entries) {
        if (entry.active != "Yes") continue;
        const std::string eid = HexEID(entry.eid);
        std::string tag = entry.herdId.empty() ? entry.tagNumber : entry.herdId + " " + entry.tagNumber;
        std::string lacking;
        const std::string bytes = TextFile::ToWindows1252(FirstCharacters(tag, kTagCharacters), &lacking);
        if (HoldsStickSeparator(tag) || HoldsStickSeparator(entry.eid) || !IsStoredCode(eid) || !lacking.empty()) {
            refused = "Eartags.csv line " + std::to_string(entry.line) + ": " + tag + ", " + entry.eid;
            return {};
        }
        sent.push_back(eid + "|" + bytes);
    }
    return sent;
}

}  // namespace EartagFile
