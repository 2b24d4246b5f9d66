#include "sticktool/StickTagTable.h"

#include <cctype>

#include "core/modCommon.h"
#include "core/modEID.h"
#include "devices/modHandheld.h"
#include "devices/modStickReader.h"
#include "platform/Text.h"
#include "sticktool/EartagFile.h"

namespace StickTagTable {

namespace {

constexpr std::size_t kEIDDigits = 16;

bool IsElectronicTag(const std::string& tag) { return tag.size() == kEIDDigits && AllHexDigits(tag); }

// "UK" and seven digits, a blank and five digits.
bool IsPrintedUKTag(const std::string& tag) {
    if (tag.size() != 15 || tag.compare(0, 2, "UK") != 0 || tag[9] != ' ') return false;
    for (std::size_t i = 2; i < tag.size(); ++i)
        if (i != 9 && !std::isdigit(static_cast<unsigned char>(tag[i]))) return false;
    return true;
}

std::string PrintedOrDecimal(const std::string& decimal) {
    std::string printed = modEID::DecimalToWYSIWYG(decimal, "");
    return printed.empty() ? decimal : printed;
}

// Spaced UK tags, when the program was started for them, show a blank after "UK".
std::string Shown(const std::string& tag) {
    if (modCommon::FormatUKSpace && IsPrintedUKTag(tag)) return "UK " + tag.substr(tag.size() - 13);
    return tag;
}

}  // namespace

Recordset Create() {
    Recordset table;
    for (const char* name : {"HerdAndTag", "StickGroup", "StickTime", "RPAMarker", "SortField", "TagOrder"})
        table.AppendField(name);
    table.Open();
    return table;
}

Lookup Lookup::FromFile(const std::string& path) {
    Lookup lookup;
    for (const EartagFile::Entry& entry : EartagFile::Read(path)) {
        const std::string hex = EartagFile::HexEID(entry.eid);
        if (!IsElectronicTag(hex)) continue;
        lookup.tags_.emplace(modEID::HexEIDToDecimalEID(hex).Decimal, TrimBlanks(entry.herdId + " " + entry.tagNumber));
    }
    return lookup;
}

const std::string* Lookup::Find(const std::string& decimalEID) const {
    auto found = tags_.find(decimalEID);
    return found == tags_.end() ? nullptr : &found->second;
}

std::string ConvertTag(const std::string& tag, long displayFormat, const Lookup* lookup) {
    if (!IsElectronicTag(tag)) return tag;
    switch (displayFormat) {
        case Decimal: return modEID::HexEIDToDecimalEID(tag).Decimal;
        case ISODecimal: return modEID::HexEIDToDecimalEID(tag).ISODecimal;
        case FullISO: return modEID::HexEIDToDecimalEID(tag).FullISO;
        case UKWYSIWYG: return PrintedOrDecimal(modEID::HexEIDToDecimalEID(tag).Decimal);
        case TagLookup: {
            const std::string decimal = modEID::HexEIDToDecimalEID(tag).Decimal;
            const std::string* found = lookup ? lookup->Find(decimal) : nullptr;
            return found ? *found : PrintedOrDecimal(decimal);
        }
        default: return tag;
    }
}

std::vector<std::string> AddRecords(Recordset& table, const std::string& data, long displayFormat,
                                    const Lookup* lookup) {
    std::vector<std::string> unread;
    for (const std::string& record : modHandheld::SplitText(data, modHandheld::ItemSeparator)) {
        const auto fields = modHandheld::SplitText(record, modHandheld::FieldSeparator);
        if (fields.size() < 3) {
            if (record.find_first_not_of(modHandheld::FieldSeparator) != std::string::npos) unread.push_back(record);
            continue;
        }
        const std::string tag = ConvertTag(fields[0], displayFormat, lookup);
        const auto readAt = modStickReader::StickTimeValue(fields[2]);
        table.AddNew();
        table.SetField(HerdAndTag, Shown(tag));
        table.SetField(StickGroup, fields[1]);
        table.SetField(StickTime, readAt ? readAt->ToGeneralText() : "");
        table.SetField(RPAMarker, fields.size() > 3 ? TrimBlanks(fields[3]) : "");
        table.SetField(SortField, fields[1] + tag);
        table.SetField(TagOrder, tag);
        table.Update();
    }
    return unread;
}

void Sort(Recordset& table, bool byGroup) { table.Sort(byGroup ? "SortField" : "TagOrder"); }

}  // namespace StickTagTable
