#include "sticktool/TagBucketFile.h"

#include <algorithm>

#include "core/modEID.h"
#include "devices/modHandheld.h"
#include "platform/RuntimeError.h"
#include "platform/Text.h"
#include "platform/TextFile.h"
#include "sticktool/EartagFile.h"

namespace {

using modHandheld::SplitText;

bool IsHexStart(char c) { return std::string_view("89ABCDEF").find(c) != std::string_view::npos; }

// The kind of a first line of two fields, by its first field (the EID).
int EIDFirstKind(const std::string& eid) {
    if (eid.size() == 16 && AllDigits(eid) && eid[0] == '0') return 5;
    if (EartagFile::IsStoredCode(eid)) return 6;
    if (eid.size() == 15 && AllDigits(eid)) return 5;
    return 0;
}

// The item at `index`, as the old arrays gave it: a line too short for its layout fails.
const std::string& Item(const std::vector<std::string>& items, std::size_t index) {
    if (index >= items.size()) throw RuntimeError(ErrorNumber::SubscriptOutOfRange, "Subscript out of range");
    return items[index];
}

std::string WithoutQuotes(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
    return text;
}

// Kinds 5 and 6: a visual tag of several parts is the herd id and the rest joined.
void SplitVisualTag(const std::string& visual, TagBucketFile::Tag& tag) {
    auto parts = SplitText(visual, ' ');
    if (parts.size() <= 1) {
        tag.TagNumber = visual;
        return;
    }
    tag.HerdId = parts[0];
    std::string rest;
    for (std::size_t i = 1; i < parts.size(); ++i) rest += parts[i];
    tag.TagNumber = TrimBlanks(rest);
}

}  // namespace

TagBucketFile::TagBucketFile(const std::string& path) : lines_(TextFile::ReadLines(path)) {
    if (lines_.empty()) throw RuntimeError(62, "Input past end of file");
    kind_ = KindOf(lines_[0]);
}

int TagBucketFile::KindOf(const std::string& firstLine) {
    auto fields = SplitText(firstLine, ',');
    if (!fields.empty() && fields[0] == "HerdId") return 1;
    if (fields.size() == 4 && !fields[0].empty() && IsHexStart(fields[0][0])) {
        auto parts = SplitText(fields[1], ' ');
        return parts.size() == 2 ? 2 : parts.size() == 3 ? 3 : 4;
    }
    if (fields.size() == 2) return EIDFirstKind(fields[0]);
    return 0;
}

TagBucketFile::Tag TagBucketFile::ReadLine(int kind, const std::string& line) {
    Tag tag;
    if (kind == 1) {
        auto fields = SplitText(WithoutQuotes(line), ',');
        tag.HerdId = Item(fields, 0);
        tag.TagNumber = Item(fields, 1);
        tag.EID = modEID::DecimalEIDToHexEID(Item(fields, 2));
        return tag;
    }
    auto fields = SplitText(line, ',');
    const std::string& eid = Item(fields, 0);
    const std::string& visual = Item(fields, 1);
    switch (kind) {
        case 2:
        case 3: {
            auto parts = SplitText(visual, ' ');
            std::size_t last = kind == 2 ? 1 : 2;
            tag.TagNumber = Item(parts, last);
            tag.HerdId = kind == 2 ? parts[0] : parts[0] + parts[1];
            break;
        }
        case 4: tag.TagNumber = visual; break;
        case 5:
        case 6: SplitVisualTag(visual, tag); break;
        default: throw RuntimeError(ErrorNumber::InvalidCall, "Unrecognised file format");
    }
    tag.EID = kind == 5 ? modEID::DecimalEIDToHexEID(eid) : eid;
    return tag;
}
