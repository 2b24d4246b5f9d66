#include "sticktool/EartagList.h"

#include <algorithm>

#include "devices/modHandheld.h"
#include "devices/modStickReader.h"
#include "platform/Csv.h"
#include "platform/Text.h"
#include "platform/TextFile.h"
#include "sticktool/EartagFile.h"
#include "sticktool/TagBucketFile.h"

namespace {

std::string Text(const Recordset& table, long row, int column) { return table.At(row, column).ToStringOr(""); }

}  // namespace

EartagList::EartagList(std::string newEntryMarker) : marker_(std::move(newEntryMarker)) {
    for (const char* name : {"Eartag", "HerdId", "TagNumber", "EidNumber", "Active", "Combined", "SortField"})
        table_.AppendField(name);
    table_.Open();
}

// ---- Keys ---------------------------------------------------------------------------------

std::string EartagList::EartagOf(const std::string& herdId, const std::string& tagNumber) {
    return TrimBlanks(herdId + " " + tagNumber);
}

std::string EartagList::GetCombined(const std::string& herdId, const std::string& tagNumber, const std::string& eid) {
    return TrimBlanks(herdId + " " + tagNumber + " " + EartagFile::HexEID(eid));
}

std::string EartagList::GetSort(const std::string& herdId, const std::string& tagNumber) {
    const std::size_t length = TextFile::CharCount(tagNumber);
    std::string key;
    if (!AllDigits(tagNumber) || length >= 7) key = herdId + " " + tagNumber;
    else if (length == 6 && herdId.rfind("UK", 0) == 0)
        // The UK number's last five digits, kept at five so that they sort by value.
        key = herdId + " 0" + tagNumber.substr(1);
    else key = herdId + " " + std::string(6 - length, '0') + tagNumber;
    return TrimBlanks(key + " " + std::to_string(length));
}

void EartagList::IndexKey(const std::string& key, int change) {
    int& count = keys_[UpperAscii(key)];
    count += change;
    if (count <= 0) keys_.erase(UpperAscii(key));
}

bool EartagList::HasKey(const std::string& key) const { return keys_.count(UpperAscii(key)) > 0; }

// ---- Entries ------------------------------------------------------------------------------

// Every value is taken as written (a tag number keeps its leading zeros); the header names
// the columns in any order and letter case.
void EartagList::ReadFile(const std::string& path) {
    for (const EartagFile::Entry& entry : EartagFile::Read(path))
        AddEntry(entry.herdId, entry.tagNumber, entry.eid, entry.active, GetSort(entry.herdId, entry.tagNumber));
}

void EartagList::SortByKey() { table_.Sort("SortField"); }

void EartagList::AddEntry(const std::string& herdId, const std::string& tagNumber, const std::string& eid,
                          const std::string& active, const std::string& sortField) {
    std::string key = GetCombined(herdId, tagNumber, eid);
    table_.AddNew();
    table_.SetField(Eartag, EartagOf(herdId, tagNumber));
    table_.SetField(HerdId, herdId);
    table_.SetField(TagNumber, tagNumber);
    table_.SetField(EidNumber, eid);
    table_.SetField(Active, active);
    table_.SetField(Combined, key);
    table_.SetField(SortField, sortField);
    table_.Update();
    IndexKey(key, +1);
}

// Every line is read by the layout of the first; one that cannot be read ends the import
// there, with the tags of the lines before it kept.
EartagList::BucketImport EartagList::AddTagBucket(const std::string& path) {
    TagBucketFile file(path);
    if (file.Kind() == 0) return {};
    const auto& lines = file.Lines();
    for (int number = file.FirstDataLine(); number <= static_cast<int>(lines.size()); ++number) {
        try {
            AddTagBucketLine(file.Kind(), TrimBlanks(lines[number - 1]));
        } catch (const std::exception&) {
            return {true, number};
        }
    }
    return {true, 0};
}

// A tag is added when it is well formed, can be sent to the stick and is not in the list.
void EartagList::AddTagBucketLine(int kind, const std::string& line) {
    if (line.empty()) return;
    TagBucketFile::Tag tag = TagBucketFile::ReadLine(kind, line);
    std::string eartag = EartagOf(tag.HerdId, tag.TagNumber);
    if (!EartagFile::IsStoredCode(tag.EID) || eartag.empty() || TextFile::CharCount(eartag) > 16 ||
        EartagFile::HoldsStickSeparator(eartag))
        return;
    if (HasKey(GetCombined(tag.HerdId, tag.TagNumber, tag.EID))) return;
    AddEntry(tag.HerdId, tag.TagNumber, tag.EID, marker_, ":" + GetSort(tag.HerdId, tag.TagNumber));
}

void EartagList::SetActive(const std::vector<Recordset::Bookmark>& entries, bool active) {
    const std::string value = active ? "Yes" : "No";
    for (Recordset::Bookmark entry : entries) {
        table_.SetBookmark(entry);
        table_.SetField(Active, value);
        std::string sort = table_.Field(SortField).ToStringOr("");
        if (!sort.empty() && sort[0] == ':') table_.SetField(SortField, sort.substr(1));
        table_.Update();
    }
}

void EartagList::Delete(const std::vector<Recordset::Bookmark>& entries) {
    for (Recordset::Bookmark entry : entries) {
        table_.SetBookmark(entry);
        IndexKey(table_.Field(Combined).ToStringOr(""), -1);
    }
    table_.Delete(entries);
}

void EartagList::SortByHeading(int column) {
    const std::string name = table_.FieldName(column);
    auto items = modHandheld::SplitText(sortList_, ',');
    if (std::none_of(items.begin(), items.end(),
                     [&](const std::string& item) { return item.rfind(name + " ", 0) == 0; }))
        items.push_back(name + " ASC");
    std::string chosen;
    for (std::string& item : items) {
        if (item.rfind(name + " ", 0) != 0) continue;
        item = name + (item.size() >= 3 && item.compare(item.size() - 3, 3, "ASC") == 0 ? " DESC" : " ASC");
        chosen = item;
        break;
    }
    sortList_ = modHandheld::JoinText(items, ',');
    // The visual tag sorts by its key; entries of one mark sort by their visual tag.
    std::string spec = chosen;
    if (name == "Eartag") spec = "SortField" + chosen.substr(name.size());
    if (name == "Active") spec += ", Eartag ASC";
    table_.Sort(spec);
}

// ---- What the window shows and the file holds ------------------------------------------------

EartagList::Mark EartagList::MarkOf(const Recordset& rows, long row) const {
    const std::string value = Text(rows, row, Active);
    return value == "Yes" || value == marker_ ? Tick : value == "No" ? Cross : Plain;
}

EartagList::Counts EartagList::CountMarks() const {
    Counts counts;
    for (long row = 0; row < table_.Rows(); ++row) {
        const Mark mark = MarkOf(table_, row);
        if (mark == Tick) ++counts.ticks;
        else if (mark == Cross) ++counts.crosses;
    }
    return counts;
}

std::string EartagList::FileText() const {
    std::string text = modStickReader::EartagFileHeader + CRLF;
    text.reserve(static_cast<std::size_t>(table_.Rows()) * 64 + text.size());
    for (long row = 0; row < table_.Rows(); ++row) {
        std::string active = Text(table_, row, Active);
        text += Csv::FormatLine({Text(table_, row, HerdId), Text(table_, row, TagNumber), Text(table_, row, EidNumber),
                                 active == marker_ ? "Yes" : active},
                                true);
        text += CRLF;
    }
    return text;
}
