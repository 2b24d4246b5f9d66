#include <gtest/gtest.h>

#include <QString>

#include "platform/Text.h"

TEST(TextTest, TheThreeTrimsTakeOnlyTheirOwnCharactersFromTheEnds) {
    struct Case {
        std::string text, blanks, blanksAndTabs, whiteSpace;
    };
    for (const Case& c : std::vector<Case>{{"  UK 123  ", "UK 123", "UK 123", "UK 123"},
                                           {" \tYes\t ", "\tYes\t", "Yes", "Yes"},
                                           {"\r\n value \r\n", "\r\n value \r\n", "\r\n value \r\n", "value"},
                                           {" \v\f ", "\v\f", "\v\f", "\v\f"},
                                           {" \t\r\n ", "\t\r\n", "\r\n", ""},
                                           {"", "", "", ""}}) {
        EXPECT_EQ(TrimBlanks(c.text), c.blanks) << c.text;
        EXPECT_EQ(TrimBlanksAndTabs(c.text), c.blanksAndTabs) << c.text;
        EXPECT_EQ(TrimWhiteSpace(c.text), c.whiteSpace) << c.text;
    }
}

TEST(TextTest, CaseAndDigitsLookAtAsciiOnly) {
    EXPECT_EQ(UpperAscii("uk-ab12 é"), "UK-AB12 é");
    EXPECT_EQ(LowerAscii("TRUE É"), "true É");
    EXPECT_TRUE(AllDigits("0123456789"));
    EXPECT_TRUE(AllDigits(""));
    EXPECT_FALSE(AllDigits("12 3"));
    EXPECT_FALSE(AllDigits("١٢٣"));
    EXPECT_TRUE(AllHexDigits("0123456789abcdefABCDEF"));
    EXPECT_FALSE(AllHexDigits("12G4"));
    EXPECT_TRUE(AllDigits(QStringView(u"0826")));
    EXPECT_FALSE(AllDigits(QString::fromUtf8("١٢٣")));
}

TEST(TextTest, SplitKeepsEveryPieceAndJoinPutsThemBack) {
    using Pieces = std::vector<std::string>;
    for (const auto& [text, pieces] : std::vector<std::pair<std::string, Pieces>>{
             {"", {""}}, {"a", {"a"}}, {"a\r\n\r\nb\r\n", {"a", "", "b", ""}}, {"\r\r\n\n", {"\r", "\n"}}}) {
        EXPECT_EQ(Split(text, CRLF), pieces) << text;
        EXPECT_EQ(Join(pieces, CRLF), text);
    }
    std::string text = "aXbXX";
    ReplaceAll(text, "X", "XX");
    EXPECT_EQ(text, "aXXbXXXX") << "a replacement is not searched again";
    ReplaceAll(text, "", "Y");
    EXPECT_EQ(text, "aXXbXXXX") << "an empty text to find changes nothing";
}
