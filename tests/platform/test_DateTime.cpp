#include <gtest/gtest.h>

#include <QLocale>

#include "platform/DateTime.h"

namespace {

// The system locale for one test; the one before comes back after it.
class LocaleTest : public ::testing::Test {
protected:
    QLocale before;
    void Use(const char* name) { QLocale::setDefault(QLocale(QString::fromLatin1(name))); }
    void TearDown() override { QLocale::setDefault(before); }
};

std::string Typed(const std::string& text) {
    auto d = DateTime::FromUserText(text);
    return d ? d->ToText() : "none";
}

}  // namespace

TEST(DateTimeText, StoredTextRoundTripsAndNonsenseIsRefused) {
    const DateTime d{2024, 2, 29, 23, 59, 58};
    EXPECT_EQ(d.ToText(), "2024-02-29 23:59:58");
    EXPECT_EQ(DateTime::FromText("2024-02-29 23:59:58"), d);
    EXPECT_EQ(DateTime::FromText("2024-02-29")->ToText(), "2024-02-29 00:00:00");
    for (const char* bad : {"2023-02-29", "2024-13-01", "2024-01-01 24:00:00", "29/02/2024", ""})
        EXPECT_FALSE(DateTime::FromText(bad)) << bad;
    EXPECT_EQ(d.AddDays(1).ToText(), "2024-03-01 23:59:58");
    EXPECT_EQ(d.AddSeconds(2).ToText(), "2024-03-01 00:00:00");
    EXPECT_EQ(d.SecondsTo(d.AddDays(-1)), -86400);
    EXPECT_TRUE(DateTime{}.IsZero());
    EXPECT_EQ(DateTime{}.ToUserText(), "");
}

TEST_F(LocaleTest, TypedDatesFollowTheLocalesDayMonthOrderAndIso) {
    Use("en_GB");
    EXPECT_EQ(Typed(" 03/07/2024 "), "2024-07-03 00:00:00");
    EXPECT_EQ(Typed("2024-07-03"), "2024-07-03 00:00:00") << "ISO in any locale";
    EXPECT_EQ(Typed("31/02/2024"), "none");
    EXPECT_EQ(Typed("3/7/24"), "2024-07-03 00:00:00") << "one digit or two, a two-digit year";
    EXPECT_EQ(Typed("tomorrow"), "none");
    EXPECT_EQ((DateTime{2024, 7, 3}).ToUserText(), "03/07/2024");

    Use("en_US");
    EXPECT_EQ(Typed("7/3/24"), "2024-07-03 00:00:00") << "two-digit years are this century";
    EXPECT_EQ(Typed("7/3/75"), "1975-07-03 00:00:00") << "or the last one";
    EXPECT_EQ(Typed("13/3/24"), "none");
    EXPECT_EQ(Typed("07/03/2024"), "2024-07-03 00:00:00") << "two digits, a four-digit year";
    EXPECT_EQ(DateTime::FromUserText((DateTime{2031, 12, 24}).ToUserText())->ToText(), "2031-12-24 00:00:00")
        << "what is shown reads back";

    Use("de_DE");
    EXPECT_EQ(Typed("1.3.-6024"), "none") << "a year before Christ";
}

TEST_F(LocaleTest, AFourDigitYearIsTakenAsWrittenAndNoneBefore1900IsADate) {
    Use("en_GB");
    for (const char* early : {"1/1/0001", "01/01/0099", "31/12/1899", "1/1/1000", "0099-01-01", "1899-12-31 10:00"})
        EXPECT_EQ(Typed(early), "none") << early;
    EXPECT_EQ(Typed("1/1/1900"), "1900-01-01 00:00:00");
    EXPECT_EQ(Typed("1/1/99"), "1999-01-01 00:00:00") << "two digits keep their window";
    EXPECT_EQ(Typed("2024-06-15 13:00:00 and more"), "none");
    Use("nl_NL");
    EXPECT_EQ(Typed("24-06-2015"), "2015-06-24 00:00:00") << "the locale's order, not the ISO year 24";
}

TEST_F(LocaleTest, ATimeIsTypedWithOrWithoutItsSecondsInTheLocalesFormAndIso) {
    Use("en_GB");
    EXPECT_EQ(Typed("15/06/2024 13:00:00"), "2024-06-15 13:00:00");
    EXPECT_EQ(Typed("15/6/24 13:00:05"), "2024-06-15 13:00:05");
    EXPECT_EQ(Typed("2024-06-15 13:00"), "2024-06-15 13:00:00");
    EXPECT_EQ(Typed("2024-06-15T13:00:07"), "2024-06-15 13:00:07");
    EXPECT_EQ(Typed("15/06/2024 13:00:60"), "none");
    EXPECT_EQ(Typed("15/06/2024 9:30"), "2024-06-15 09:30:00") << "an hour without its leading zero";
    Use("en_US");
    EXPECT_EQ(Typed("6/15/2024 1:00:30 PM"), "2024-06-15 13:00:30");
    Use("de_DE");
    const DateTime at{2024, 6, 15, 13, 0, 30};
    EXPECT_EQ(DateTime::FromUserText(at.ToGeneralText()), at) << "a time shown with its seconds reads back";
}
