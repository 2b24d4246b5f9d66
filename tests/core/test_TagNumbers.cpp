#include <gtest/gtest.h>

#include <string>

#include "core/modCommon.h"
#include "core/modCommonTags.h"
#include "fixtures/ScriptedPrompts.h"
#include "fixtures/TempHome.h"

namespace {

constexpr int kNone = 0, kCattle = 1, kSheep = 2;

struct TagCase {
    int species;
    std::string tag, prefix, number;
    int key;
};

class TagNumbers : public ::testing::Test {
protected:
    void TearDown() override { modCommon::Species = 0; }
    void Check(const TagCase& c) {
        modCommon::Species = c.species;
        const auto split = modCommon::SplitTag(c.tag);
        EXPECT_EQ(split[0], c.prefix) << "species " << c.species << " tag '" << c.tag << "'";
        EXPECT_EQ(split[1], c.number) << "species " << c.species << " tag '" << c.tag << "'";
        EXPECT_EQ(modCommon::GetTagSortFromTag(c.tag), c.key) << "species " << c.species << " tag '" << c.tag << "'";
    }
};

TEST_F(TagNumbers, SheepPatterns) {
    const TagCase cases[] = {
        {kSheep, "", "", "", 0},
        {kSheep, "uk0123456 00012", "UK0123456", "00012", 12},
        {kSheep, "UK 0 123456  00012", "UK0123456", "00012", 12},
        {kSheep, "UK0 123456 00012 S", "UK0123456", "00012S", 12},
        {kSheep, "UK1 123456", "UK1123456", "", 0},
        {kSheep, "IE04 1234567 12345 A", "IE04 1234567", "12345 A", 12345},
        {kSheep, "ie04 1234567 12345j", "IE04 1234567", "12345 J", 12345},
        {kSheep, "UK 123456", "UK123456", "", 0},
        // not a flock tag (flag digit 2): the token path takes it
        {kSheep, "UK2 123456 00012", "UK2123456", "00012", 12},
        // Irish letter I is not a check letter
        {kSheep, "IE04 1234567 12345 I", "IE041234567", "12345I", 12345},
        // a decimal EID used as a tag: UK ones split as printed, others 4 + 12
        {kSheep, "0826012345678901", "UK0123456", "78901", 78901},
        {kSheep, "826012345678901", "UK0123456", "78901", 78901},
        {kSheep, "0250012345678901", "0250", "012345678901", 345678901},
        {kSheep, "UK 123456 700123", "UK123456", "700123", 700123},
    };
    for (const auto& c : cases) Check(c);
}

TEST_F(TagNumbers, CattlePatterns) {
    const TagCase cases[] = {
        {kCattle, "UK 123456 700123", "UK123456", "700123", 123},
        {kCattle, "uk123456 123456", "UK123456", "123456", 23456},
        {kCattle, "UK123456 1234567", "UK123456", "1234567", 1234567},
        // a trailing check letter after a hyphen keeps its hyphen
        {kCattle, "UK123456-00012-A", "UK123456", "00012-A", 12},
        {kCattle, "A-B", "A", "B", 0},
        // Irish tags: hyphens are blanks and five tokens give a four-token mark
        {kCattle, "IE-12-34-56-7890", "IE123456", "7890", 7890},
        {kCattle, "IE 1 2 3 456", "IE123", "456", 456},
        // the UK9 mark takes six characters; its key drops the number's last digit
        {kCattle, "UK9 123 456 7890", "UK9123", "4567890", 456789},
        {kCattle, " u k 9 12 345 6789", "UK9", "123456789", 12345678},
        {kCattle, "UK 9 12 345 6789", "UK912345", "6789", 678},
        {kCattle, "ABC 12 3", "ABC", "123", 123},
        {kCattle, "UK 1234567", "UK1234", "567", 567},
        // a decimal EID is not printed as a UK sheep tag for cattle
        {kCattle, "0826012345678901", "0826", "012345678901", 345678901},
        {kCattle, "826012345678901", "826", "012345678901", 345678901},
    };
    for (const auto& c : cases) Check(c);
}

TEST_F(TagNumbers, TokenPathForAnySpecies) {
    const TagCase cases[] = {
        {kNone, "", "", "", 0},
        {kNone, "   ", "", "", 0},
        {kNone, "ABCD1234E", "ABCD", "1234E", 1234},
        {kNone, "ABCD12345", "ABCD1", "2345", 2345},
        {kNone, "ABC1234", "ABC1", "234", 234},
        {kNone, "ABCDEFGH123456", "ABCDEFGH", "123456", 123456},
        {kNone, "AB12", "AB", "12", 12},
        {kNone, "A B C D", "AB", "CD", 0},
        {kNone, "A B C D E", "ABC", "DE", 0},
        {kNone, "A B C D E F", "ABC", "DEF", 0},
        {kNone, "A B C D E F G", "ABCD", "EFG", 0},
        {kNone, "1 2 3 4 5 6 7 8", "1234", "5678", 5678},
        // more than nine digits: only the last nine make the key
        {kNone, "X 1234567890123", "X", "1234567890123", 567890123},
        {kNone, "Y 9994567890123", "Y", "9994567890123", 567890123},
        // the UK herd-mark rule is for cattle only
        {kNone, "UK123456 123456", "UK123456", "123456", 123456},
        {kNone, "UK9123 4", "UK9123", "4", 4},
    };
    for (const auto& c : cases) Check(c);
}

TEST(TagNumbersErrors, UK9NumbersOutOfRangeAreReportedWithKeyZero) {
    TempHome home;
    ScriptedPrompts prompts;
    prompts.AcceptAllOK();
    modCommon::Species = kCattle;
    // nothing is left after dropping the last digit
    EXPECT_EQ(modCommon::GetTagSortFromTag("UK9123 4"), 0);
    // beyond the 32-bit range
    EXPECT_EQ(modCommon::GetTagSortFromTag("UK9123 99999999999"), 0);
    // leading zeros keep a long number in range
    EXPECT_EQ(modCommon::GetTagSortFromTag("UK9123 00000000000123"), 12);
    const auto messages = prompts.Messages();
    ASSERT_EQ(messages.size(), 2u);
    for (const auto& m : messages) {
        EXPECT_NE(m.find("GetTagSortFromTag"), std::string::npos) << m;
        EXPECT_NE(m.find("modCommon"), std::string::npos) << m;
    }
    modCommon::Species = 0;
}

}  // namespace
