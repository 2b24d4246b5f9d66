#pragma once
#include <optional>
#include <string>

class QDateTime;

// A local date and time to the second. The zero value means "no date", as the old
// program's date 0 did. Stored in the database as 'YYYY-MM-DD HH:MM:SS'.
struct DateTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;

    bool IsZero() const { return year == 0; }
    DateTime DateOnly() const { return {year, month, day, 0, 0, 0}; }

    // 'YYYY-MM-DD HH:MM:SS' (19 characters).
    std::string ToText() const;
    // Reads the 19-character text, or a date alone 'YYYY-MM-DD'.
    static std::optional<DateTime> FromText(const std::string& text);
    // Reads a date typed by the keeper: ISO, or the system locale's short date order, alone or
    // with a time with or without its seconds. A year before 1900 is no date.
    static std::optional<DateTime> FromUserText(const std::string& text);
    // The date in the system locale's short date format (and time when it has one).
    std::string ToUserText(bool withTime = false) const;
    // The date as the system shows a date with its time: the locale's short date, then its
    // long time (without a time zone), the time left out at midnight. `Year::Full` writes the
    // year in four digits where the locale's short date has two, for dates that may lie years
    // back.
    enum class Year { AsLocale, Full };
    std::string ToGeneralText(Year year = Year::AsLocale) const;

    DateTime AddDays(int days) const;
    DateTime AddSeconds(long long seconds) const;
    long long SecondsTo(const DateTime& later) const;

    QDateTime ToQt() const;
    static DateTime FromQt(const QDateTime& qt);

    // The program's clock: local time, or a pinned time in tests.
    static DateTime Now();
    static DateTime Today() { return Now().DateOnly(); }
    static void PinClock(const DateTime& at);  // a zero value releases the clock

    auto operator<=>(const DateTime&) const = default;
};
