#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <tuple>

#include "core/modEID.h"
#include "fixtures/ScriptedPrompts.h"
#include "fixtures/TempHome.h"

using namespace modEID;

namespace {

struct DecimalCase {
    std::string decimal;
    int userInfo;
    int retag;
    std::string hex;
};

TEST(modEID, DecimalToHexTable) {
    const DecimalCase cases[] = {
        {"0826012345678901", 4, 0, "8200CE82DFDC1C35"},
        {"0826012345678901", 0, 0, "8000CE82DFDC1C35"},
        // blanks anywhere, and 15 digits get their leading zero
        {"826 012345678901", 4, 0, "8200CE82DFDC1C35"},
        {"0826 0123 4567 8901", 4, 0, "8200CE82DFDC1C35"},
        {"826012345678901", 4, 0, "8200CE82DFDC1C35"},
        // out-of-range user information and retag counters are written as 0
        {"0826012345678901", 32, 8, "8000CE82DFDC1C35"},
        {"0826012345678901", -1, -1, "8000CE82DFDC1C35"},
        {"0826012345678901", 31, 7, "FF80CE82DFDC1C35"},
        {"0000000000000000", 0, 0, "8000000000000000"},
        // country modulo 1024, national number modulo 2^38
        {"9999012345678901", 0, 0, "8000C3C2DFDC1C35"},
        {"0826999999999999", 0, 0, "8000CEA8D4A50FFF"},
        // not a 16-digit decimal
        {"08260123456789", 0, 0, ""},
        {"08260123456789012", 0, 0, ""},
        {"", 0, 0, ""},
        {"0826A12345678901", 0, 0, ""},
        {"0826\t012345678901", 0, 0, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecimalEIDToHexEID(c.decimal, c.userInfo, c.retag), c.hex)
            << c.decimal << " ui " << c.userInfo << " retag " << c.retag;
}

TEST(modEID, HexToDecimalTable) {
    struct Case {
        std::string hex, decimal, iso, full;
        int retag, userInfo;
    };
    const Case cases[] = {
        {"8200CE82DFDC1C35", "0826012345678901", "826 012345678901", "826 012345678901 0 04 000", 0, 4},
        {"8200ce82dfdc1c35", "0826012345678901", "826 012345678901", "826 012345678901 0 04 000", 0, 4},
        {"FF80CE82DFDC1C35", "0826012345678901", "826 012345678901", "826 012345678901 7 31 000", 7, 31},
        // reserved field and data-block flag side by side
        {"807F000000000000", "0000000000000000", "000 000000000000", "000 000000000000 0 00 631", 0, 0},
        // the reduced values come back after a truncating conversion
        {"8000C3C2DFDC1C35", "0783012345678901", "783 012345678901", "783 012345678901 0 00 000", 0, 0},
        {"8000CEA8D4A50FFF", "0826175366279167", "826 175366279167", "826 175366279167 0 00 000", 0, 0},
        // a country of 1000 or more shows only its last three digits
        {"8000FA02DFDC1C35", "1000012345678901", "000 012345678901", "000 012345678901 0 00 000", 0, 0},
        // the animal flag clear: the whole value, no leading zeros
        {"0000CE82DFDC1C35", "227061496814645", "Invalid", "Invalid", 0, 0},
        {"7FFFFFFFFFFFFFFF", "9223372036854775807", "Invalid", "Invalid", 0, 0},
        {"1C35", "7221", "Invalid", "Invalid", 0, 0},
        {"0", "0", "Invalid", "Invalid", 0, 0},
        // leading zeros beyond 16 digits are not significant
        {"00008200CE82DFDC1C35", "0826012345678901", "826 012345678901", "826 012345678901 0 04 000", 0, 4},
    };
    for (const auto& c : cases) {
        const EIDRecord r = HexEIDToDecimalEID(c.hex);
        EXPECT_EQ(std::tie(r.Decimal, r.ISODecimal, r.FullISO, r.RetagCount, r.UserInfo),
                  std::tie(c.decimal, c.iso, c.full, c.retag, c.userInfo))
            << c.hex;
    }
    const EIDRecord empty = HexEIDToDecimalEID("");
    EXPECT_EQ(empty.Decimal + empty.ISODecimal + empty.FullISO, "");
    EXPECT_EQ(empty.RetagCount + empty.UserInfo, 0);
}

TEST(modEID, UKPrintedForm) {
    for (const auto& [decimal, form] :
         {std::pair{"0826012345678901", "04"}, {"826 012345678901", "04"}, {"826012345678901", ""}})
        EXPECT_EQ(DecimalToWYSIWYG(decimal, form), "UK0123456 78901") << decimal;
    for (const char* notUK : {"0250012345678901", "08260123456789", "08260123456789012", "", "0826O12345678901"})
        EXPECT_EQ(DecimalToWYSIWYG(notUK, "04"), "") << notUK;
}

TEST(modEID, DigitStrings) {
    using Cases = std::vector<std::pair<std::string, std::string>>;  // {argument, result}
    const auto check = [](const auto& convert, const Cases& cases) {
        for (const auto& [argument, result] : cases) EXPECT_EQ(convert(argument), result) << argument;
    };
    check(
        [](const std::string& d) { return NumericStringToBinary(d, 10); },
        {{"13", "1101"}, {"0013", "1101"}, {"0", "0"}, {"", ""}, {"18446744073709551616", "1" + std::string(64, '0')}});
    check([](const std::string& b) { return BinaryStringToNumeric(b, 10); },
          {{"1101", "13"}, {"", "0"}, {"0000", "0"}, {std::string(64, '1'), "18446744073709551615"}});
    EXPECT_EQ(BinaryStringToNumeric("1101", 2), "1101");
    check([](const std::string& h) { return HexStringToBinary(h); },
          {{"00F", "1111"}, {"a", "1010"}, {"000", "0"}, {"", ""}});
    check([](const std::string& b) { return BinaryStringToHex(b); },
          {{"", "0"}, {"1111", "F"}, {"11111", "1F"}, {"00001010", "A"}});
    check([](const std::string& t) { return RemoveLeadingZeroes(t); }, {{"000", "0"}, {"", ""}, {"0100", "100"}});
}

// The 64-bit conversions must give exactly what the digit-string road gives, truncations
// included; this builds that road from the digit-string procedures.
std::string ReferenceDecimalToHex(const std::string& d, int ui, int retag) {
    auto field = [](const std::string& digits, std::size_t width) {
        std::string bits = NumericStringToBinary(digits, 10);
        if (bits.size() > width) return bits.substr(bits.size() - width);
        return std::string(width - bits.size(), '0') + bits;
    };
    std::string bits = "1" + std::string(63, '0');
    bits.replace(16, 10, field(d.substr(0, 4), 10));
    bits.replace(26, 38, field(d.substr(4, 12), 38));
    if (ui != 0) bits.replace(4, 5, field(std::to_string(ui), 5));
    if (retag > 0) bits.replace(1, 3, field(std::to_string(retag), 3));
    return BinaryStringToHex(bits);
}

std::string ReferenceHexToDecimal(const std::string& hex) {
    std::string bits = HexStringToBinary(hex);
    bits = std::string(64 - bits.size(), '0') + bits;
    if (bits[0] != '1') return BinaryStringToNumeric(bits, 10);
    auto number = [&](std::size_t from, std::size_t n, std::size_t width) {
        std::string v = BinaryStringToNumeric(bits.substr(from, n), 10);
        return std::string(width - v.size(), '0') + v;
    };
    return number(16, 10, 4) + number(26, 38, 12);
}

TEST(modEID, SixtyFourBitRoadMatchesDigitStrings) {
    std::mt19937_64 random(20240611);
    for (int i = 0; i < 2000; ++i) {
        std::string decimal;
        for (int d = 0; d < 16; ++d) decimal += static_cast<char>('0' + random() % 10);
        const int ui = static_cast<int>(random() % 34) - 1;
        const int retag = static_cast<int>(random() % 10) - 1;
        const int uiKept = (ui < 0 || ui > 31) ? 0 : ui;
        const int retagKept = (retag < 0 || retag > 7) ? 0 : retag;
        const std::string hex = DecimalEIDToHexEID(decimal, ui, retag);
        ASSERT_EQ(hex, ReferenceDecimalToHex(decimal, uiKept, retagKept)) << decimal;

        char any[17];
        std::snprintf(any, sizeof any, "%016llX", static_cast<unsigned long long>(random()));
        ASSERT_EQ(HexEIDToDecimalEID(any).Decimal, ReferenceHexToDecimal(any)) << any;
        const EIDRecord back = HexEIDToDecimalEID(hex);
        ASSERT_EQ(std::tie(back.RetagCount, back.UserInfo), std::tie(retagKept, uiKept));
        ASSERT_EQ(DecimalEIDToHexEID(back.Decimal, back.UserInfo, back.RetagCount), hex);
    }
}

class modEIDErrors : public ::testing::Test {
protected:
    TempHome home;
    ScriptedPrompts prompts;
    void SetUp() override { prompts.AcceptAllOK(); }
    bool Reported(const std::string& procedure) const {
        for (const auto& m : prompts.Messages())
            if (m.find("procedure " + procedure + " ") != std::string::npos && m.find("modEID") != std::string::npos)
                return true;
        return false;
    }
};

TEST_F(modEIDErrors, BadHexDigitIsReportedAndGivesInvalid) {
    const EIDRecord r = HexEIDToDecimalEID("8000CE82DFDC1C3G");
    EXPECT_TRUE(Reported("HexStringToBinary"));
    // the conversion goes on with the digits read before the bad one
    EXPECT_EQ(std::tie(r.Decimal, r.ISODecimal, r.FullISO),
              std::make_tuple("576474943646974403", "Invalid", "Invalid"));
}

TEST_F(modEIDErrors, MoreThanSixteenSignificantDigitsIsReported) {
    const EIDRecord r = HexEIDToDecimalEID("18200CE82DFDC1C35");
    EXPECT_TRUE(Reported("HexEIDToDecimalEID"));
    EXPECT_EQ(r.Decimal + r.ISODecimal + r.FullISO, "");
    EXPECT_EQ(r.RetagCount + r.UserInfo, 0);
}

TEST_F(modEIDErrors, DigitStringProceduresReportBadDigits) {
    EXPECT_EQ(NumericStringToBinary("12a", 10), "");
    EXPECT_TRUE(Reported("NumericStringToBinary"));
    EXPECT_EQ(BinaryStringToNumeric("1012", 10), "5");
    EXPECT_TRUE(Reported("BinaryStringToNumeric"));
    EXPECT_EQ(BinaryStringToHex("10102"), "1");
    EXPECT_TRUE(Reported("BinaryStringToHex"));
    EXPECT_EQ(prompts.Messages().size(), 3u);
}

TEST_F(modEIDErrors, DecimalInputThatIsNotSixteenDigitsIsNoError) {
    EXPECT_EQ(DecimalEIDToHexEID("not a number"), "");
    EXPECT_EQ(DecimalToWYSIWYG("12", "04"), "");
    EXPECT_TRUE(prompts.Messages().empty());
}

}  // namespace
