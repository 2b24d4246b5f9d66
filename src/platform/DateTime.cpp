#include "platform/DateTime.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QTimeZone>
#include <cstdio>
#include <mutex>

namespace {

std::mutex clockMutex;
DateTime pinned;

bool Valid(const DateTime& d) {
    return QDate::isValid(d.year, d.month, d.day) && d.hour >= 0 && d.hour < 24 && d.minute >= 0 && d.minute < 60 &&
           d.second >= 0 && d.second < 60;
}

}  // namespace

std::string DateTime::ToText() const {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute, second);
    return buf;
}

std::optional<DateTime> DateTime::FromText(const std::string& text) {
    DateTime d;
    int n =
        std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d", &d.year, &d.month, &d.day, &d.hour, &d.minute, &d.second);
    if (n != 3 && n != 6) return std::nullopt;
    if (n == 3) d.hour = d.minute = d.second = 0;
    if (!Valid(d)) return std::nullopt;
    return d;
}

namespace {

// The earliest year a typed date may have. A four-digit year is taken as written, so that
// "1/1/0099" is refused as the year 99 rather than stored as 1999.
constexpr int kFirstYear = 1900;

// The locale's long time, which has the seconds, without the time zone: a typed or stored
// time has none.
QString LongTimeFormat(const QLocale& locale) {
    static const QRegularExpression zone(QStringLiteral("\\s*\\(?(?<![A-Za-z'])t+\\)?"));
    return locale.timeFormat(QLocale::LongFormat).remove(zone).trimmed();
}

// ISO as typed: 'YYYY-MM-DD', with a time 'HH:MM' or 'HH:MM:SS' after a blank or a T, and nothing
// else; the four-digit year keeps "24-06-2015" for the locales that read it.
std::optional<DateTime> FromIsoText(const QString& text) {
    static const QRegularExpression iso(
        QStringLiteral("^([0-9]{4})-([0-9]{1,2})-([0-9]{1,2})(?:[ T]([0-9]{1,2}):([0-9]{1,2})(?::([0-9]{1,2}))?)?$"));
    const QRegularExpressionMatch match = iso.match(text);
    if (!match.hasMatch()) return std::nullopt;
    auto part = [&](int n) { return match.captured(n).toInt(); };  // an empty part is 0
    const DateTime d{part(1), part(2), part(3), part(4), part(5), part(6)};
    if (!Valid(d)) return std::nullopt;
    return d;
}

// A date typed in the locale's order of day, month and year, with the day, month and hour in one
// digit or two and the year in two or four ("3/7/2024 9:30" as well as "03/07/24 09:30"), alone
// or with a time with or without its seconds.
std::optional<DateTime> FromLocaleText(const QString& text) {
    const QLocale locale;
    static const QRegularExpression dayOrMonth(QStringLiteral("(?<![dMHh])([dMHh])\\1(?![dMHh])"));
    const QString year4 = QStringLiteral("yyyy"), year2 = QStringLiteral("yy");
    const QString date = locale.dateFormat(QLocale::ShortFormat);
    for (QString f :
         {date, locale.dateTimeFormat(QLocale::ShortFormat), date + QLatin1Char(' ') + LongTimeFormat(locale)}) {
        f.replace(dayOrMonth, QStringLiteral("\\1"));
        const QString otherYear =
            f.contains(year4) ? QString(f).replace(year4, year2) : QString(f).replace(year2, year4);
        for (const QString& g : {f, otherYear}) {
            const QDateTime dt = locale.toDateTime(text, g);
            if (!dt.isValid()) continue;
            DateTime d = DateTime::FromQt(dt);
            // Two-digit years are read as this century or the last, as the keeper means them.
            if (g.count(QLatin1Char('y')) == 2 && d.year < 1950) d.year += 100;
            return d;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<DateTime> DateTime::FromUserText(const std::string& text) {
    const QString t = QString::fromStdString(text).trimmed();
    std::optional<DateTime> d = FromIsoText(t);
    if (!d) d = FromLocaleText(t);
    // Years before Christ (Qt reads a minus sign before the year) are refused here too.
    if (d && d->year < kFirstYear) return std::nullopt;
    return d;
}

std::string DateTime::ToUserText(bool withTime) const {
    if (IsZero()) return "";
    QLocale locale;
    // A date alone needs no time zone (whose look-up costs a file check per call).
    QString s = withTime ? locale.toString(ToQt(), QLocale::ShortFormat)
                         : locale.toString(QDate(year, month, day), QLocale::ShortFormat);
    return s.toStdString();
}

std::string DateTime::ToGeneralText(Year year) const {
    QLocale locale;
    QString dateFormat = locale.dateFormat(QLocale::ShortFormat);
    if (year == Year::Full && !dateFormat.contains(QLatin1String("yyyy")))
        dateFormat.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    QString text = locale.toString(ToQt().date(), dateFormat);
    if (hour == 0 && minute == 0 && second == 0) return text.toStdString();
    return (text + QLatin1Char(' ') + locale.toString(ToQt().time(), LongTimeFormat(locale))).toStdString();
}

QDateTime DateTime::ToQt() const { return QDateTime(QDate(year, month, day), QTime(hour, minute, second)); }

DateTime DateTime::FromQt(const QDateTime& qt) {
    QDate d = qt.date();
    QTime t = qt.time();
    return {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
}

DateTime DateTime::AddDays(int days) const { return FromQt(ToQt().addDays(days)); }
DateTime DateTime::AddSeconds(long long seconds) const { return FromQt(ToQt().addSecs(seconds)); }
long long DateTime::SecondsTo(const DateTime& later) const { return ToQt().secsTo(later.ToQt()); }

DateTime DateTime::Now() {
    {
        std::lock_guard lock(clockMutex);
        if (!pinned.IsZero()) return pinned;
    }
    return FromQt(QDateTime::currentDateTime());
}

void DateTime::PinClock(const DateTime& at) {
    std::lock_guard lock(clockMutex);
    pinned = at;
}
