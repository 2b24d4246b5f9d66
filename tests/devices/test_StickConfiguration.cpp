#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "core/clsTranslator.h"
#include "core/modCommon.h"
#include "devices/modHandheld.h"
#include "devices/modStickReaderConfiguration.h"
#include "fixtures/ScriptedPrompts.h"
#include "fixtures/TempHome.h"
#include "platform/RuntimeError.h"
#include "sim/SimStick.h"

using namespace modStickReader;

namespace {

// ---- The golden table ---------------------------------------------------------------------------
// Every text a position holds, from the firmware version it first holds it; a text marked
// tagLookup replaces the one before only where the tag look-up format is offered.

struct GoldenText {
    long fromVersion;
    const char* text;
    bool tagLookup = false;
};

const std::vector<std::vector<GoldenText>> kGolden = {
    {{1, "1;Firmware Version;;;;;True;True;False;T;^[0-9]{1,2}$;12"}},
    {{1, "2;Hardware Options;;;;;True;False;False;T;^[12]$;2"}},
    {{1, "3;Serial Number;;;;;True;True;False;T;^[0-9]{9}$;000000000"}},
    {{1, "4;RTC Calibration;;;;;True;False;False;T;^[0-9]{3}$;100"}},
    {{1, "5;RTC Charge;;;;;True;False;False;T;^[12]$;2"}},
    {{1, "6;Industrial;;;;;False;False;False;L,No=1,Yes=2;^[12]$;1"}},
    {{1, "7;Reserved6;;;;;True;False;False;T;^.{0,15}$;0"},
     {2, "7;KRX Type;;;;;False;False;False;L,KRX900=1,KRX250=2;^[12]{1}$;1"}},
    {{1, "8;Reserved7;;;;;True;False;False;T;^.{0,15}$;0"},
     {3, "8;Scroll Buttons;;;;;False;False;False;L,Disabled=1,Enabled=2;^[12]$;2"}},
    {{1, "9;Reserved8;;;;;True;False;False;T;^.{0,15}$;0"},
     {3, "9;Board Revision;;;;;False;False;False;T;^[0-9]{1,15}$;2"}},
    {{1, "10;Reserved9;;;;;True;False;False;T;^.{0,15}$;0"},
     {7,
      "10;Scrapie Stick;;;;;False;False;True;L,Scrapie Stick Disabled=1,Scrapie Stick "
      "Enabled=2;^[12]$;1"}},
    {{1, "11;Reserved10;;;;;True;False;False;T;^.{0,15}$;0"}},
    {{1, "12;Reserved11;;;;;True;False;False;T;^.{0,15}$;0"}},
    {{1, "13;Reserved12;;;;;True;False;False;T;^.{0,15}$;0"}},
    {{1, "14;Reserved13;;;;;True;False;False;T;^.{0,15}$;0"}},
    {{1, "15;Reserved14;;;;;True;False;False;T;^.{0,15}$;0"}},
    {{1, "16;Reserved15;;;;;True;False;False;T;^.{0,15}$;0"}},
    {{1,
      "17;Scan time;seconds;1;10;1000;False;True;True;T;^(([1-9][0-9]{2})|([1-9][0-9]{3})|"
      "10000)$;5000"}},
    {{1,
      "18;Shutdown time;minutes;1;10;60000;False;True;True;T;^(([6-9][0-9]{4})|([1-5][0-9]"
      "{5})|600000)$;300000"}},
    {{1,
      "20;EID Output Format;;;;;False;True;True;L,Hexadecimal=1,Decimal=2,ISO Decimal=3,KRX "
      "Raw=4;^[1234]$;2"},
     {3,
      "20;EID Output Format;;;;;False;True;True;L,Hexadecimal=1,Decimal=2,ISO Decimal=3,KRX "
      "Raw=4,Full ISO=5,UK WYSIWYG=6;^[123456]$;2"},
     {8,
      "20;EID Output Format;;;;;False;True;True;L,Hexadecimal=1,Decimal=2,ISO Decimal=3,KRX "
      "Raw=4,Full ISO=5,UK WYSIWYG=6,Tag lookup=7;^[1234567]$;2",
      true}},
    {{1,
      "19;EID Display Format;;;;;False;True;True;L,Hexadecimal=1,Decimal=2,ISO "
      "Decimal=3;^[123]$;2"},
     {2,
      "19;EID Display Format;;;;;False;True;True;L,Hexadecimal=1,Decimal=2,ISO Decimal=3,UK "
      "WYSIWYG=6;^[1236]$;2"},
     {3,
      "19;EID Display Format;;;;;False;True;True;L,Hexadecimal=1,Decimal=2,ISO Decimal=3,Full "
      "ISO=5,UK WYSIWYG=6;^[12356]$;2"},
     {8,
      "19;EID Display Format;;;;;False;True;True;L,Hexadecimal=1,Decimal=2,ISO Decimal=3,Full "
      "ISO=5,UK WYSIWYG=6,Tag lookup=7;^[123567]$;2",
      true}},
    {{1, "21;Save Readings to Stick Memory;;;;;False;True;True;L,No=1,Yes=2;^[12]$;2"}},
    {{1, "32;Printer Bluetooth ID;;;;;False;True;True;T;^([0-9a-f]{12})$;000000000000"}},
    {{1,
      "33;External Display Bluetooth ID;;;;;True;False;False;T;^([0-9a-f]{12})$;"
      "000000000000"}},
    {{2, "22;Language;;;;;False;True;True;L,English=1,Spanish=2;^[12]$;1"},
     {7, "22;Language;;;;;False;True;True;L,English=1,Spanish=2,Dutch=3;^[123]$;1"},
     {11, "22;Language;;;;;False;True;True;L,English=1,Spanish=2,Dutch=3,Portuguese=4;^[1234]$;1"}},
    {{3,
      "23;Continuous Read Mode;;;;;False;True;True;L,Press to Read=1,Continuous Read=2;^[12]$;"
      "1"}},
    {{3,
      "24;Continuous Read Mode Timeout;seconds;1;30;1000;False;True;True;T;^(([1-9][0-9]{3})|"
      "([12][0-9]{4})|30000)$;15000"}},
    {{4, "25;Mark Characters;;;;;True;False;False;T;^[a-z]{1,4}$;RLX"}},
    {{4,
      "26;Tag unique check;;;;;True;False;False;L,Tags unique per group=1,Tags unique all "
      "groups=2;^[12]$;1"}},
    {{5, "28;Printer Type;;;;;False;True;True;L,Pro60=1,AP1300BT=2;^[123]$;1"}},
    {{6, "30;Label Printing On;;;;;False;True;True;L,Yes=1,No=2;^[12]$;1"}},
    {{9, "27;Output Termination;;;;;False;True;True;L,<CR>=0,<CR><LF>=1;^[01]$;1"}},
    {{10, "29;Label Printing Allowed;;;;;False;True;True;L,No=1,Yes=2;^[12]$;1"}},
    {{10, "31;Print in Order;;;;;False;True;True;L,Print as read=1,Print in order=2;^[12]$;1"}},
    {{10, "34;Weigher Bluetooth ID;;;;;False;True;True;T;^([0-9a-f]{12})$;000000000000"}},
};

std::vector<std::string> GoldenTable(long version, bool tagLookup) {
    std::vector<std::string> table;
    for (const auto& texts : kGolden) {
        const char* text = nullptr;
        for (const GoldenText& golden : texts)
            if (golden.fromVersion <= std::max(version, 1L) && (!golden.tagLookup || tagLookup)) text = golden.text;
        if (!text) break;
        table.push_back(text);
    }
    return table;
}

std::string WithVisibleField(const std::string& definition, const std::string& visible) {
    auto fields = modHandheld::SplitText(definition, ';');
    fields[7] = visible;
    return modHandheld::JoinText(fields, ';');
}

// A fresh world, a user language and the partner's mode off.
class StickConfiguration : public ::testing::Test {
protected:
    void SetLanguage(long languageID) {
        modCommon::Translator().menLLanguage = languageID;
        modCommon::Translator().menLBaseLanguage = languageID & 0xFF;
    }
    void Build(long version) { InitialiseStickConfigurationStrings(version); }
    // Each text compared on its own, so that a failure names the position and both texts.
    void ExpectTable(const std::vector<std::string>& expected, long version) {
        ASSERT_EQ(StickConfigStrings.size(), expected.size()) << "version " << version;
        for (size_t position = 0; position < expected.size(); ++position)
            EXPECT_EQ(StickConfigStrings[position], expected[position])
                << "version " << version << ", position " << position;
    }

    StickConfiguration() { SetLanguage(1043); }  // Dutch: no tag look-up
    ~StickConfiguration() override { SetLanguage(savedLanguage); }

    long savedLanguage = modCommon::Translator().menLLanguage;
    TempHome home;
};

}  // namespace

// ---- The table per firmware version -------------------------------------------------------------

TEST_F(StickConfiguration, EveryVersionHoldsItsItemsWithEveryTextExact) {
    const std::vector<size_t> counts = {23, 24, 26, 28, 29, 30, 30, 30, 31, 34, 34, 34};
    for (long version = 1; version <= 12; ++version) {
        Build(version);
        EXPECT_EQ(StickConfigStrings.size(), counts[version - 1]) << "version " << version;
        ExpectTable(GoldenTable(version, false), version);
    }
    // No stick reports these, but a version read as 0 or above 12 gets a whole table.
    Build(0);
    ExpectTable(GoldenTable(1, false), 0);
    Build(13);
    ExpectTable(GoldenTable(11, false), 13);
}

TEST_F(StickConfiguration, TagLookupChoiceComesAtVersionEightWhereTheLanguageOffersIt) {
    for (long language : {3082L, 2058L, 1034L, 2057L, 1033L, 3081L, 5129L}) {
        SetLanguage(language);
        EXPECT_TRUE(TagLookupEnabled()) << language;
        for (long version : {7L, 8L, 12L}) {
            Build(version);
            ExpectTable(GoldenTable(version, true), version);
        }
    }
    for (long language : {1043L, 1031L, 4105L, 6153L, 0L}) {
        SetLanguage(language);
        EXPECT_FALSE(TagLookupEnabled()) << language;
    }
    // Version 8 for a Dutch user keeps the lists without "Tag lookup=7".
    Build(8);
    EXPECT_EQ(StickConfigStrings[18].find("Tag lookup"), std::string::npos);
    EXPECT_EQ(StickConfigStrings[19].find("Tag lookup"), std::string::npos);
}

TEST_F(StickConfiguration, PartnersStickChangesFromVersionTwelveOnly) {
    modCommon::OxbrelMode = 1;
    EXPECT_TRUE(TagLookupEnabled());  // whatever the language (Dutch here)

    Build(11);
    ExpectTable(GoldenTable(11, true), 11);

    for (long version : {12L, 13L}) {
        Build(version);
        std::vector<std::string> expected = GoldenTable(version, true);
        expected[13] = "14;Stick Type;;;;;False;False;True;L,Normal=0,Oxbrel=1;^[01]$;1";
        expected[17] =
            "18;Shutdown time;minutes;1;30;60000;False;True;True;T;^(([6-9][0-9]{4})|([1-9][0-9]"
            "{5})|(1[0-7][0-9]{5})|1800000)$;1800000";
        expected[23] = "22;Language;;;;;True;False;True;L,English=1,Spanish=2;^[12]$;1";
        for (size_t position = 0; position < expected.size(); ++position)
            if (position != 0 && position != 16 && position != 17 && position != 21)
                expected[position] = WithVisibleField(expected[position], "False");
        ExpectTable(expected, version);
    }
    // The four items on show keep their own visible field.
    for (size_t position : {0u, 16u, 17u, 21u})
        EXPECT_TRUE(StickConfigDefinitionAt(static_cast<long>(position)).visible) << position;
    EXPECT_EQ(ValidateStickConfigItem("1800000", 17).Valid, true);
    EXPECT_EQ(ValidateStickConfigItem("1800001", 17).Value, "1800000");
}

// ---- Checking a value ---------------------------------------------------------------------------

TEST_F(StickConfiguration, ValueMustMatchItsPatternWholeWithCaseIgnored) {
    Build(12);
    struct Case {
        const char* value;
        long position;
        bool valid;
        const char* result;
    };
    const Case cases[] = {
        {"5000", 16, true, "5000"},
        {"99", 16, false, "5000"},
        {"10000", 16, true, "10000"},   // 10 seconds shown, stored x 1000
        {"11000", 16, false, "5000"},   // 11 seconds
        {"5000\n", 16, false, "5000"},  // a final line feed is not the end of the value
        {"5000\r\n", 16, false, "5000"},
        {"x5000", 16, false, "5000"},
        {"A1B2C3D4E5F6", 21, true, "A1B2C3D4E5F6"},
        {"a1b2c3d4e5f", 21, false, "000000000000"},
        {"RLX", 26, true, "RLX"},
        {"RLXQ1", 26, false, "RLX"},
        {"3", 28, true, "3"},
        {"4", 28, false, "1"},
        {"", 10, true, ""},
        {"fifteen chars!!", 10, true, "fifteen chars!!"},
        {"sixteen chars!!!", 10, false, "0"},
        {"line\rbreak", 10, false, "0"},
        {"line\nbreak", 10, false, "0"},
    };
    for (const Case& c : cases) {
        StickConfigItemResult result = ValidateStickConfigItem(c.value, c.position);
        EXPECT_EQ(result.Valid, c.valid) << '"' << c.value << "\" at " << c.position;
        EXPECT_EQ(result.Value, c.result) << '"' << c.value << "\" at " << c.position;
    }
    Build(5);
    EXPECT_TRUE(ValidateStickConfigItem("3", 28).Valid);
}

TEST_F(StickConfiguration, PositionOutsideTheTableIsLoggedAndInvalid) {
    ScriptedPrompts prompts;
    prompts.AcceptAllOK();
    Build(4);  // 28 items
    StickConfigItemResult result = ValidateStickConfigItem("3", 28);
    EXPECT_FALSE(result.Valid);
    EXPECT_EQ(result.Value, "");
    StickConfigStrings.clear();  // as before any stick was read
    EXPECT_FALSE(ValidateStickConfigItem("12", 0).Valid);
    ASSERT_EQ(prompts.Messages().size(), 2u);
    EXPECT_NE(prompts.Messages()[0].find("ValidateStickConfigItem"), std::string::npos);
    EXPECT_NE(prompts.Messages()[0].find("modStickReader"), std::string::npos);
    EXPECT_EQ(prompts.shown()[0].title, "Application Error");
    try {
        StickConfigDefinitionAt(-1);
        ADD_FAILURE() << "no error for position -1";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number, ErrorNumber::SubscriptOutOfRange);
    }
}

// ---- What the editor and the writes read from a definition --------------------------------------

TEST_F(StickConfiguration, DefinitionFieldsChoicesAndAccessCode) {
    Build(12);
    StickConfigDefinition scan = StickConfigDefinitionAt(16);
    EXPECT_EQ(std::make_tuple(scan.id, scan.name, scan.unit, scan.min, scan.max, scan.scale),
              std::make_tuple(17L, std::string("Scan time"), std::string("seconds"), std::string("1"),
                              std::string("10"), std::string("1000")));
    EXPECT_TRUE(!scan.locked && scan.visible && scan.userItem && !scan.IsList());

    StickConfigDefinition termination = StickConfigDefinitionAt(30);
    ASSERT_TRUE(termination.IsList());
    ASSERT_EQ(termination.choices.size(), 2u);
    EXPECT_EQ(termination.choices[0].label + "=" + std::to_string(termination.choices[0].value) + "," +
                  termination.choices[1].label + "=" + std::to_string(termination.choices[1].value),
              "<CR>=0,<CR><LF>=1");

    // Protected: not a user item, and not one of the three the stick takes without the code.
    for (long position : {0L, 1L, 2L, 6L, 13L, 14L}) EXPECT_TRUE(StickAccessCodeRequired(position)) << position;
    for (long position : {9L, 16L, 21L, 22L, 26L, 27L, 33L})
        EXPECT_FALSE(StickAccessCodeRequired(position)) << position;
}

TEST_F(StickConfiguration, FreshSimulatedStickHoldsOnlyValidValues) {
    for (int version = 1; version <= 12; ++version) {
        SimStick stick;
        stick.SetFirmwareVersion(version);
        Build(version);
        ASSERT_EQ(stick.ConfigCount(), StickConfigStrings.size()) << "version " << version;
        for (size_t position = 0; position < stick.ConfigCount(); ++position)
            EXPECT_TRUE(ValidateStickConfigItem(stick.ConfigValue(position), static_cast<long>(position)).Valid)
                << "version " << version << ", position " << position;
    }
}
