#include "devices/StickConfigEditor.h"

#include <QLocale>
#include <QString>

#include <algorithm>
#include <cmath>

#include "core/clsTranslator.h"
#include "core/modCommon.h"
#include "devices/modHandheld.h"
#include "platform/RuntimeError.h"
#include "platform/Text.h"

namespace {

// Item positions the editor treats apart.
constexpr long kFirmwareVersionItem = 0;
constexpr long kHardwareOptionsItem = 1;  // "1": no memory fitted
constexpr long kScrapieStickEntry = 9;
constexpr long kDisplayFormatItem = 19;
constexpr long kSaveReadingsItem = 20;
constexpr long kPrinterBluetoothItem = 21;
constexpr long kDisplayBluetoothItem = 22;
constexpr long kMarkCharactersItem = 26;
constexpr size_t kPrinterTypeEntry = 28;
constexpr long kLabelPrintingOnItem = 29;
constexpr long kOutputTerminationItem = 30;
constexpr long kLabelPrintingAllowedItem = 31;
constexpr long kPrintInOrderItem = 32;
constexpr long kScrapieStickEnabled = 2;
constexpr long kQL220 = 3;
constexpr int kMarkCharacters = 4;
constexpr size_t kBluetoothIDLength = 12;
// Label printing came to the Spanish, Dutch and Portuguese sticks after firmware 10.
constexpr long kLastVersionWithoutLabelPrinting = 10;
constexpr long kLanguagesWithoutLabelPrinting[] = {10, 19, 22};
constexpr long kAustralianEnglish = 3081;

constexpr StickConfigEditor::ClickRule kClickRules[] = {
    {kDisplayFormatItem, 7, kPrintInOrderItem, 2,
     "Tag Lookup cannot be set when 'Print in Order' is set to Print in Order"},
    {kPrintInOrderItem, 2, kDisplayFormatItem, 7,
     "Print in Order cannot be set when 'EID Display Format' is set to Tag Lookup"},
    {kLabelPrintingOnItem, 1, kLabelPrintingAllowedItem, 1, nullptr},
    {kLabelPrintingAllowedItem, 1, kLabelPrintingOnItem, 1, nullptr},
};

using modCommon::Translate;

template <class List>
bool Holds(const List& list, long value) {
    return std::find(std::begin(list), std::end(list), value) != std::end(list);
}

// An entry's position: decimal digits naming a place in the table.
long EntryPosition(const std::string& field) {
    if (field.empty() || field.size() > 9 || !AllDigits(field))
        throw RuntimeError(ErrorNumber::TypeMismatch, "Type mismatch");
    return std::stol(field);
}

// Numbers as the keeper reads and types them: in the locale's decimal form, ungrouped.
QLocale NumberLocale() {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}
std::string NumberText(double value) { return NumberLocale().toString(value, 'g', 15).toStdString(); }
std::optional<double> NumberOf(const std::string& text) {
    bool ok = false;
    const double value = NumberLocale().toDouble(QString::fromStdString(text).trimmed(), &ok);
    return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

// A stored value from a shown one: shown x the whole scale, halves to even.
std::string ScaledValue(const std::string& shown, const std::string& scale) {
    const std::optional<double> number = NumberOf(shown);
    if (!number) throw RuntimeError(ErrorNumber::TypeMismatch, "Type mismatch");
    const double stored = std::nearbyint(*number * std::lround(modHandheld::LeadingNumber(scale)));
    if (!(std::fabs(stored) < 2147483648.0)) throw RuntimeError(ErrorNumber::Overflow, "Overflow");
    return std::to_string(static_cast<long long>(stored));
}

// A list's entries, translated, each with the value it stores; the printer only a scrapie stick
// drives is offered on such a stick alone.
std::vector<modStickReader::StickConfigChoice> Choices(const modStickReader::StickConfigDefinition& definition,
                                                       const std::vector<std::string>& entries, size_t k) {
    std::vector<modStickReader::StickConfigChoice> choices;
    for (const modStickReader::StickConfigChoice& choice : definition.choices)
        choices.push_back({Translate(choice.label), choice.value});
    if (k == kPrinterTypeEntry && entries.size() > kScrapieStickEntry &&
        modHandheld::LeadingNumber(modStickReader::ConfigEntryValue(entries[kScrapieStickEntry])) ==
            kScrapieStickEnabled)
        choices.push_back({"QL220", kQL220});
    return choices;
}

// The first entry storing a value, -1 when none does.
int ChoiceStoring(const std::vector<modStickReader::StickConfigChoice>& choices, const std::string& value) {
    const auto stored = static_cast<long long>(modHandheld::LeadingNumber(value));
    const auto at =
        std::find_if(choices.begin(), choices.end(), [&](const auto& choice) { return choice.value == stored; });
    return at == choices.end() ? -1 : static_cast<int>(at - choices.begin());
}

// A row's label: the item's name, its unit and its range.
std::string Caption(const modStickReader::StickConfigDefinition& definition) {
    std::string caption = Translate(definition.name);
    if (!definition.unit.empty()) caption += " (" + Translate(definition.unit) + ")";
    if (!definition.min.empty())
        caption += " " + Translate("from") + " " + definition.min + " " + Translate("to") + " " + definition.max;
    return caption;
}

// What would split a write command on its way: its field and item separators and line ends.
bool SplitsCommand(const std::string& value) { return value.find_first_of("|#\r\n") != std::string::npos; }

}  // namespace

// What building the rows learns on the way through the stick's entries.
struct StickConfigEditor::BuildState {
    const std::vector<std::string>& entries;
    std::string identity;
    long version;
    bool memoryFitted = false;
    int texts = 1, lists = 1;  // the controls made so far, templates included
};

void StickConfigEditor::Clear() {
    rows_.clear();
    FirmwareVersionValue.clear();
}

StickConfigEditor::BuildEnd StickConfigEditor::Build(const std::vector<std::string>& entries,
                                                     const std::string& identity, std::vector<RowDisplay>& rows) {
    const std::string first = entries.empty() ? std::string{} : entries[0];
    if (!modStickReader::IsStickVersionSupported(first)) return BuildEnd::LaterVersion;
    const long version = modStickReader::FirmwareVersionOf(entries);
    modStickReader::InitialiseStickConfigurationStrings(version);
    if (!(modHandheld::LeadingNumber(modStickReader::ConfigEntryValue(first)) > 0)) return BuildEnd::NoMemory;
    BuildState build{entries, identity, version};
    for (size_t k = 0; k < entries.size(); ++k) rows.push_back(BuildRow(build, k));
    return BuildEnd::Built;
}

// The row of entry k: the stick's value, or the item's default when the stick's fails the
// item's pattern.
StickConfigEditor::RowDisplay StickConfigEditor::BuildRow(BuildState& build, size_t k) {
    const auto fields = modHandheld::SplitText(build.entries[k], modHandheld::FieldSeparator);
    const long position = EntryPosition(fields.empty() ? std::string{} : fields[0]);
    const modStickReader::StickConfigDefinition definition = modStickReader::StickConfigDefinitionAt(position);
    const std::string value = modStickReader::ConfigEntryValue(build.entries[k]);
    if (position == kHardwareOptionsItem)
        build.memoryFitted = modStickReader::ValidateStickConfigItem(value, kHardwareOptionsItem).Value != "1";
    const modStickReader::StickConfigItemResult result = modStickReader::ValidateStickConfigItem(value, position);

    RowDisplay display{{'T', 0, position},
                       definition.id,
                       false,
                       {},
                       {},
                       {},
                       -1,
                       definition.locked && modCommon::EditionCode != modCommon::EngineeringEdition,
                       result.Valid};
    if (definition.IsList()) {
        display.row = {'L', build.lists++, position};
        display.choices = Choices(definition, build.entries, k);
        display.selected = ChoiceStoring(display.choices, result.Value);
    } else {
        display.row.index = build.texts++;
        display.text =
            definition.scale.empty()
                ? result.Value
                : NumberText(modHandheld::LeadingNumber(result.Value) / modHandheld::LeadingNumber(definition.scale));
        if (position == kFirmwareVersionItem) {
            FirmwareVersionValue = display.text;
            display.text = build.identity;
        }
    }
    rows_.push_back(display.row);
    display.shown =
        (definition.visible || modCommon::EditionCode == modCommon::EngineeringEdition) && ShownAt(position, build);
    if (display.shown) display.caption = Caption(definition);
    return display;
}

// Whether a row may show by its position: what the stick and the keeper's language make of it.
bool StickConfigEditor::ShownAt(long position, const BuildState& build) {
    const clsTranslator& translator = modCommon::Translator();
    if (position == kSaveReadingsItem) return build.memoryFitted;
    if (position == kLabelPrintingOnItem || position == kLabelPrintingAllowedItem || position == kPrintInOrderItem)
        return !(build.version <= kLastVersionWithoutLabelPrinting &&
                 Holds(kLanguagesWithoutLabelPrinting, translator.menLBaseLanguage));
    if (position == kOutputTerminationItem) return translator.menLLanguage == kAustralianEnglish;
    return true;
}

const StickConfigEditor::ClickRule* StickConfigEditor::ClickRuleFor(
    long position, std::optional<long> chosen, const std::function<std::optional<long>(long position)>& chosenAt) {
    for (const ClickRule& rule : kClickRules)
        if (rule.tag == position && chosen == rule.chosen && chosenAt(rule.otherTag) == rule.otherValue) return &rule;
    return nullptr;
}

// The mark characters are checked as typed: more than the stick keeps is refused, not cut.
bool StickConfigEditor::TextValid(const ConfigRow& row, const std::string& typed) const {
    const modStickReader::StickConfigDefinition definition = modStickReader::StickConfigDefinitionAt(row.position);
    const std::string text = row.position == kMarkCharactersItem ? typed : RowText(row, typed);
    if (SplitsCommand(text)) return false;
    if (definition.min.empty()) return modStickReader::ValidateStickConfigItem(text, row.position).Valid;
    const std::optional<double> number = NumberOf(text);
    if (!number || *number < modHandheld::LeadingNumber(definition.min)) return false;
    if (modCommon::EditionCode == modCommon::EngineeringEdition) return true;
    const double stored = definition.scale.empty() ? *number : *number * modHandheld::LeadingNumber(definition.scale);
    return modStickReader::ValidateStickConfigItem(NumberText(stored), row.position).Valid;
}

// A text row's value as it goes to the stick, before any scale: an empty Bluetooth ID is none
// (twelve zeros), the stick keeps four mark characters, and the firmware version goes back as
// it was read, whatever the row shows.
std::string StickConfigEditor::RowText(const ConfigRow& row, const std::string& text) const {
    switch (row.position) {
        case kFirmwareVersionItem: return FirmwareVersionValue;
        case kPrinterBluetoothItem:
        case kDisplayBluetoothItem: return text.empty() ? std::string(kBluetoothIDLength, '0') : text;
        case kMarkCharactersItem: return QString::fromStdString(text).left(kMarkCharacters).toStdString();
        default: return text;
    }
}

// The value a w command carries: a list's stored value, a text scaled to the stored unit, and
// the texts the stick reads up to a NUL with that NUL after them.
std::string StickConfigEditor::RowValue(const ConfigRow& row, const modStickReader::StickConfigDefinition& definition,
                                        const std::string& entry) const {
    if (row.kind == 'L') return entry;
    std::string value = RowText(row, entry);
    if (!definition.scale.empty()) value = ScaledValue(value, definition.scale);
    if (row.position == kPrinterBluetoothItem || row.position == kDisplayBluetoothItem ||
        row.position == kMarkCharactersItem)
        value += '\0';
    return value;
}

// A w for every item the edition writes, then l. Each counts only when the stick says it
// succeeded; the first that does not ends the save, and the items written before it stay
// written (but not loaded) on the stick.
bool StickConfigEditor::Write(modStickReader::StickExchange& exchange, const Entry& entry, std::string& message) const {
    for (const ConfigRow& row : rows_) {
        const modStickReader::StickConfigDefinition definition = modStickReader::StickConfigDefinitionAt(row.position);
        if (!definition.userItem && modCommon::EditionCode != modCommon::EngineeringEdition) continue;
        std::string argument =
            std::to_string(row.position) + modHandheld::FieldSeparator + RowValue(row, definition, entry(row));
        if (modCommon::EditionCode == modCommon::EngineeringEdition &&
            modStickReader::StickAccessCodeRequired(row.position))
            argument += modHandheld::FieldSeparator + modStickReader::StickAccessCode;
        if (!exchange.Send(modStickReader::WriteConfigurationCommand, argument) ||
            !modStickReader::IsReplyOK(exchange.LastReply)) {
            message = Translate("Failed to write a configuration parameter") + " (" + Translate(definition.name) + ")";
            return false;
        }
    }
    if (!exchange.Send(modStickReader::LoadConfigurationCommand) || !modStickReader::IsReplyOK(exchange.LastReply)) {
        message = Translate("Failed to load the new configuration");
        return false;
    }
    return true;
}
