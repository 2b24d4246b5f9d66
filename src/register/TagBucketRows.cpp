#include "register/TagBucketRows.h"

#include "core/modCommon.h"
#include "core/modEID.h"
#include "platform/Csv.h"
#include "platform/Text.h"

namespace TagBucketRows {
namespace {

std::optional<int> Integer(const std::string& text) {
    const std::string trimmed = TrimBlanks(text);
    std::size_t digits = trimmed.rfind('-', 0) == 0 ? 1 : 0;
    if (trimmed.size() <= digits || trimmed.size() > digits + 9 || !AllDigits(std::string_view(trimmed).substr(digits)))
        return std::nullopt;
    return std::stoi(trimmed);
}

// The species an EID's user information names: 2 cattle, 4 sheep; any other, the one worked on.
int SpeciesOf(int userInfo) {
    return userInfo == 2 ? modCommon::Cattle : userInfo == 4 ? modCommon::Sheep : modCommon::Species;
}

}  // namespace

std::optional<Tag> Allflex(const CsvReader& file, std::size_t row) {
    const std::string eid = UpperAscii(TrimBlanks(file.Value(row, 0)));
    const std::string& tag = file.Value(row, 1);
    if (eid.size() != 16 || !AllHexDigits(eid) || tag.empty()) return std::nullopt;
    return Tag{tag, eid, SpeciesOf(modEID::HexEIDToDecimalEID(eid).UserInfo)};
}

std::optional<Tag> Maker(const CsvReader& file, std::size_t row) {
    const std::string& decimal = file.Value(row, "EIDNumber");
    if (decimal.size() != 16 || !AllDigits(decimal)) return std::nullopt;
    const std::size_t columns = file.Header().size();
    std::optional<int> code = 0, retag = 0;
    if (columns >= 5) code = Integer(file.Value(row, "Species"));
    else if (std::stoi(decimal.substr(0, 4)) < 900) code = modCommon::Species == modCommon::Sheep ? 4 : 2;
    if (columns >= 6) retag = Integer(file.Value(row, "Retag"));
    if (!code || !retag) return std::nullopt;
    return Tag{file.Value(row, "HerdId") + " " + file.Value(row, "tagnumber"),
               modEID::DecimalEIDToHexEID(decimal, *code, *retag), SpeciesOf(*code)};
}

}  // namespace TagBucketRows
