#include "devices/modStickReaderConfiguration.h"

#include <QRegularExpression>
#include <QString>

#include <algorithm>
#include <array>
#include <utility>

#include "core/Trap.h"
#include "core/clsTranslator.h"
#include "core/modCommon.h"
#include "devices/modHandheld.h"
#include "platform/RuntimeError.h"
#include "platform/Text.h"

namespace modStickReader {

std::vector<std::string> StickConfigStrings;

namespace {

const char* const kModule = "modStickReader";
constexpr char kDefinitionSeparator = '\t';
constexpr char kFieldSeparator = ';';
constexpr size_t kFieldCount = 12;
constexpr size_t kVisibleField = 7;

// ---- The definitions -------------------------------------------------------------------------
// A version block names the definition it replaces by its whole text, so a text that a later
// block replaces is written once here and used in both places: a replacement whose old text
// differs by one character from what stands in the table would change nothing.

const char* const kReserved6 = "7;Reserved6;;;;;True;False;False;T;^.{0,15}$;0";
const char* const kReserved7 = "8;Reserved7;;;;;True;False;False;T;^.{0,15}$;0";
const char* const kReserved8 = "9;Reserved8;;;;;True;False;False;T;^.{0,15}$;0";
const char* const kReserved9 = "10;Reserved9;;;;;True;False;False;T;^.{0,15}$;0";
const char* const kReserved13 = "14;Reserved13;;;;;True;False;False;T;^.{0,15}$;0";
const char* const kShutdownTime =
    "18;Shutdown time;minutes;1;10;60000;False;True;True;T;"
    "^(([6-9][0-9]{4})|([1-5][0-9]{5})|600000)$;300000";
const char* const kOutputFormat1 =
    "20;EID Output Format;;;;;False;True;True;"
    "L,Hexadecimal=1,Decimal=2,ISO Decimal=3,KRX Raw=4;^[1234]$;2";
const char* const kOutputFormat3 =
    "20;EID Output Format;;;;;False;True;True;"
    "L,Hexadecimal=1,Decimal=2,ISO Decimal=3,KRX Raw=4,Full ISO=5,UK WYSIWYG=6;^[123456]$;2";
const char* const kDisplayFormat1 =
    "19;EID Display Format;;;;;False;True;True;"
    "L,Hexadecimal=1,Decimal=2,ISO Decimal=3;^[123]$;2";
const char* const kDisplayFormat2 =
    "19;EID Display Format;;;;;False;True;True;"
    "L,Hexadecimal=1,Decimal=2,ISO Decimal=3,UK WYSIWYG=6;^[1236]$;2";
const char* const kDisplayFormat3 =
    "19;EID Display Format;;;;;False;True;True;"
    "L,Hexadecimal=1,Decimal=2,ISO Decimal=3,Full ISO=5,UK WYSIWYG=6;^[12356]$;2";
const char* const kLanguage2 = "22;Language;;;;;False;True;True;L,English=1,Spanish=2;^[12]$;1";
const char* const kLanguage7 = "22;Language;;;;;False;True;True;L,English=1,Spanish=2,Dutch=3;^[123]$;1";
const char* const kLanguage11 = "22;Language;;;;;False;True;True;L,English=1,Spanish=2,Dutch=3,Portuguese=4;^[1234]$;1";

// Positions 0 to 22. Note positions 18 and 19: item 20 (output) comes before item 19 (display).
const std::array<const char*, 23> kBaseList = {
    "1;Firmware Version;;;;;True;True;False;T;^[0-9]{1,2}$;12",
    "2;Hardware Options;;;;;True;False;False;T;^[12]$;2",
    "3;Serial Number;;;;;True;True;False;T;^[0-9]{9}$;000000000",
    "4;RTC Calibration;;;;;True;False;False;T;^[0-9]{3}$;100",
    "5;RTC Charge;;;;;True;False;False;T;^[12]$;2",
    "6;Industrial;;;;;False;False;False;L,No=1,Yes=2;^[12]$;1",
    kReserved6,
    kReserved7,
    kReserved8,
    kReserved9,
    "11;Reserved10;;;;;True;False;False;T;^.{0,15}$;0",
    "12;Reserved11;;;;;True;False;False;T;^.{0,15}$;0",
    "13;Reserved12;;;;;True;False;False;T;^.{0,15}$;0",
    kReserved13,
    "15;Reserved14;;;;;True;False;False;T;^.{0,15}$;0",
    "16;Reserved15;;;;;True;False;False;T;^.{0,15}$;0",
    "17;Scan time;seconds;1;10;1000;False;True;True;T;"
    "^(([1-9][0-9]{2})|([1-9][0-9]{3})|10000)$;5000",
    kShutdownTime,
    kOutputFormat1,
    kDisplayFormat1,
    "21;Save Readings to Stick Memory;;;;;False;True;True;L,No=1,Yes=2;^[12]$;2",
    "32;Printer Bluetooth ID;;;;;False;True;True;T;^([0-9a-f]{12})$;000000000000",
    "33;External Display Bluetooth ID;;;;;True;False;False;T;^([0-9a-f]{12})$;000000000000",
};

struct VersionBlock {
    long fromVersion;
    bool onlyWithTagLookup;
    std::vector<std::pair<const char*, const char*>> replacements;  // old text, new text
    std::vector<const char*> additions;                             // appended in order
};

// Applied in this order; each block's old texts are what the blocks before it leave.
const std::vector<VersionBlock>& VersionBlocks() {
    static const std::vector<VersionBlock> blocks = {
        {2,
         false,
         {{kReserved6, "7;KRX Type;;;;;False;False;False;L,KRX900=1,KRX250=2;^[12]{1}$;1"},
          {kDisplayFormat1, kDisplayFormat2}},
         {kLanguage2}},
        {3,
         false,
         {{kReserved7, "8;Scroll Buttons;;;;;False;False;False;L,Disabled=1,Enabled=2;^[12]$;2"},
          {kReserved8, "9;Board Revision;;;;;False;False;False;T;^[0-9]{1,15}$;2"},
          {kOutputFormat1, kOutputFormat3},
          {kDisplayFormat2, kDisplayFormat3}},
         {"23;Continuous Read Mode;;;;;False;True;True;"
          "L,Press to Read=1,Continuous Read=2;^[12]$;1",
          "24;Continuous Read Mode Timeout;seconds;1;30;1000;False;True;True;T;"
          "^(([1-9][0-9]{3})|([12][0-9]{4})|30000)$;15000"}},
        {4,
         false,
         {},
         {"25;Mark Characters;;;;;True;False;False;T;^[a-z]{1,4}$;RLX",
          "26;Tag unique check;;;;;True;False;False;"
          "L,Tags unique per group=1,Tags unique all groups=2;^[12]$;1"}},
        // The pattern also admits 3, the printer the editor offers only on a scrapie stick.
        {5, false, {}, {"28;Printer Type;;;;;False;True;True;L,Pro60=1,AP1300BT=2;^[123]$;1"}},
        {6, false, {}, {"30;Label Printing On;;;;;False;True;True;L,Yes=1,No=2;^[12]$;1"}},
        {7,
         false,
         {{kReserved9,
           "10;Scrapie Stick;;;;;False;False;True;"
           "L,Scrapie Stick Disabled=1,Scrapie Stick Enabled=2;^[12]$;1"},
          {kLanguage2, kLanguage7}},
         {}},
        {8,
         true,
         {{kOutputFormat3,
           "20;EID Output Format;;;;;False;True;True;L,Hexadecimal=1,Decimal=2,ISO Decimal=3,"
           "KRX Raw=4,Full ISO=5,UK WYSIWYG=6,Tag lookup=7;^[1234567]$;2"},
          {kDisplayFormat3,
           "19;EID Display Format;;;;;False;True;True;L,Hexadecimal=1,Decimal=2,ISO Decimal=3,"
           "Full ISO=5,UK WYSIWYG=6,Tag lookup=7;^[123567]$;2"}},
         {}},
        {9, false, {}, {"27;Output Termination;;;;;False;True;True;L,<CR>=0,<CR><LF>=1;^[01]$;1"}},
        {10,
         false,
         {},
         {"29;Label Printing Allowed;;;;;False;True;True;L,No=1,Yes=2;^[12]$;1",
          "31;Print in Order;;;;;False;True;True;L,Print as read=1,Print in order=2;^[12]$;1",
          "34;Weigher Bluetooth ID;;;;;False;True;True;T;^([0-9a-f]{12})$;000000000000"}},
        {11, false, {{kLanguage7, kLanguage11}}, {}},
    };
    return blocks;
}

// The partner's stick from firmware 12 on: its own type item, a longer shutdown time, two
// languages only, and no item on show but the four its keepers set.
constexpr long kOxbrelFromVersion = 12;
const std::vector<std::pair<const char*, const char*>>& OxbrelReplacements() {
    static const std::vector<std::pair<const char*, const char*>> replacements = {
        {kReserved13, "14;Stick Type;;;;;False;True;True;L,Normal=0,Oxbrel=1;^[01]$;1"},
        {kShutdownTime,
         "18;Shutdown time;minutes;1;30;60000;False;True;True;T;"
         "^(([6-9][0-9]{4})|([1-9][0-9]{5})|(1[0-7][0-9]{5})|1800000)$;1800000"},
        {kLanguage11, "22;Language;;;;;True;False;True;L,English=1,Spanish=2;^[12]$;1"},
    };
    return replacements;
}
// Firmware Version, Scan time, Shutdown time and Printer Bluetooth ID.
constexpr std::array<size_t, 4> kOxbrelShownPositions = {0, 16, 17, 21};

// ---- Building ---------------------------------------------------------------------------------

void Apply(std::string& table, const std::vector<std::pair<const char*, const char*>>& pairs) {
    for (const auto& [oldText, newText] : pairs) ReplaceAll(table, oldText, newText);
}

std::string HideDefinition(const std::string& definition) {
    auto fields = modHandheld::SplitText(definition, kFieldSeparator);
    if (fields.size() > kVisibleField) fields[kVisibleField] = "False";
    return modHandheld::JoinText(fields, kFieldSeparator);
}

std::string HideAllButOxbrelItems(const std::string& table) {
    auto definitions = modHandheld::SplitText(table, kDefinitionSeparator);
    for (size_t position = 0; position < definitions.size(); ++position)
        if (std::find(kOxbrelShownPositions.begin(), kOxbrelShownPositions.end(), position) ==
            kOxbrelShownPositions.end())
            definitions[position] = HideDefinition(definitions[position]);
    return modHandheld::JoinText(definitions, kDefinitionSeparator);
}

bool IsSpanishLanguage(long languageID) { return (languageID & 0xFF) == 10; }

bool IsTagLookupEnglish(long languageID) {
    return languageID == 1033 || languageID == 2057 || languageID == 3081 || languageID == 5129;
}

// The pattern over the whole value: the stick's patterns end in "$", which in this engine
// would also match before a final line feed; and a line break is never a character of a
// value, as "." and "$" treat it in the patterns' own dialect.
QRegularExpression WholeValuePattern(const std::string& pattern) {
    return QRegularExpression(
        QStringLiteral("(*ANYCRLF)") + QRegularExpression::anchoredPattern(QString::fromStdString(pattern)),
        QRegularExpression::CaseInsensitiveOption);
}

StickConfigDefinition ParseStickConfigDefinition(const std::string& text) {
    auto fields = modHandheld::SplitText(text, kFieldSeparator);
    fields.resize(kFieldCount);
    StickConfigDefinition definition;
    definition.id = static_cast<long>(modHandheld::LeadingNumber(fields[0]));
    definition.name = fields[1];
    definition.unit = fields[2];
    definition.min = fields[3];
    definition.max = fields[4];
    definition.scale = fields[5];
    definition.locked = fields[6] == "True";
    definition.visible = fields[7] == "True";
    definition.userItem = fields[8] == "True";
    definition.type = fields[9];
    definition.pattern = fields[10];
    definition.defaultValue = fields[11];
    if (definition.IsList()) {
        auto entries = modHandheld::SplitText(definition.type, ',');
        for (size_t i = 1; i < entries.size(); ++i) {
            const size_t equals = entries[i].find('=');
            StickConfigChoice choice{entries[i].substr(0, equals), 0};
            if (equals != std::string::npos)
                choice.value = static_cast<long>(modHandheld::LeadingNumber(entries[i].substr(equals + 1)));
            definition.choices.push_back(choice);
        }
    }
    return definition;
}

}  // namespace

void InitialiseStickConfigurationStrings(long firmwareVersion) {
    const bool tagLookup = TagLookupEnabled();
    std::string table = modHandheld::JoinText({kBaseList.begin(), kBaseList.end()}, kDefinitionSeparator);
    for (const VersionBlock& block : VersionBlocks()) {
        if (firmwareVersion < block.fromVersion) continue;
        if (block.onlyWithTagLookup && !tagLookup) continue;
        Apply(table, block.replacements);
        for (const char* addition : block.additions) table += kDefinitionSeparator + std::string(addition);
    }
    if (modCommon::OxbrelMode == 1 && firmwareVersion >= kOxbrelFromVersion) {
        Apply(table, OxbrelReplacements());
        table = HideAllButOxbrelItems(table);
    }
    StickConfigStrings = modHandheld::SplitText(table, kDefinitionSeparator);
}

StickConfigItemResult ValidateStickConfigItem(const std::string& value, long position) {
    StickConfigItemResult result;
    Trap("ValidateStickConfigItem", kModule, [&] {
        StickConfigDefinition definition = StickConfigDefinitionAt(position);
        QRegularExpression pattern = WholeValuePattern(definition.pattern);
        result.Valid = pattern.match(QString::fromStdString(value)).hasMatch();
        result.Value = result.Valid ? value : definition.defaultValue;
    });
    return result;
}

bool TagLookupEnabled() {
    const long languageID = modCommon::Translator().menLLanguage;
    return IsSpanishLanguage(languageID) || IsTagLookupEnglish(languageID) || modCommon::OxbrelMode == 1;
}

StickConfigDefinition StickConfigDefinitionAt(long position) {
    if (position < 0 || static_cast<size_t>(position) >= StickConfigStrings.size())
        throw RuntimeError(ErrorNumber::SubscriptOutOfRange, "Subscript out of range");
    return ParseStickConfigDefinition(StickConfigStrings[static_cast<size_t>(position)]);
}

std::string ConfigEntryValue(const std::string& entry) {
    const auto fields = modHandheld::SplitText(entry, modHandheld::FieldSeparator);
    return fields.size() > 1 ? fields[1] : std::string{};
}

std::string ConfigEntryValue(const std::vector<std::string>& entries, std::size_t place) {
    return place < entries.size() ? ConfigEntryValue(entries[place]) : std::string{};
}

long FirmwareVersionOf(const std::vector<std::string>& entries) {
    return modHandheld::LeadingWholeNumber(ConfigEntryValue(entries, 0));
}

std::string ConfiguredValue(const std::vector<std::string>& entries, long item) {
    return ValidateStickConfigItem(ConfigEntryValue(entries, static_cast<std::size_t>(item)), item).Value;
}

bool StickAccessCodeRequired(long position) {
    constexpr std::array<long, 3> kWithoutCode = {22, 26, 27};
    return !StickConfigDefinitionAt(position).userItem &&
           std::find(kWithoutCode.begin(), kWithoutCode.end(), position) == kWithoutCode.end();
}

}  // namespace modStickReader
