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

std::optional<DateTime> DateTime::FromUserText(const std::string& text) {
    QString t = QString::fromStdString(text).trimmed();
    if (auto iso = FromText(t.toStdString())) return iso;
    QLocale locale;
    // The locale's order of day, month and year, with the day and month in one digit or two and
    // the year in two or four: "3/7/2024" as well as "03/07/24".
    static const QRegularExpression dayOrMonth(QStringLiteral("(?<![dM])([dM])\\1(?![dM])"));
    const QString year4 = QStringLiteral("yyyy"), year2 = QStringLiteral("yy");
    for (QString f : {locale.dateFormat(QLocale::ShortFormat), locale.dateTimeFormat(QLocale::ShortFormat)}) {
        f.replace(dayOrMonth, QStringLiteral("\\1"));
        const QString otherYear =
            f.contains(year4) ? QString(f).replace(year4, year2) : QString(f).replace(year2, year4);
        for (const QString& g : {f, otherYear}) {
            QDateTime dt = locale.toDateTime(t, g);
            if (!dt.isValid()) continue;
            DateTime d = FromQt(dt);
            // Qt takes a minus sign before the year for a year before Christ, which no keeper
            // means and which would be stored as no date at all.
            if (d.year < 0) continue;
            // Two-digit years are read as this century or the last, as the keeper means them.
            if (d.year < 100) d.year += (d.year < 50 ? 2000 : 1900);
            else if (d.year < 1950 && g.count(QLatin1Char('y')) == 2) d.year += 100;
            return d;
        }
    }
    return std::nullopt;
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
    // The long time format may name the time zone ("t"); a read's time has none.
    static const QRegularExpression zone(QStringLiteral("\\s*\\(?(?<![A-Za-z'])t+\\)?"));
    QString format = locale.timeFormat(QLocale::LongFormat).remove(zone).trimmed();
    return (text + QLatin1Char(' ') + locale.toString(ToQt().time(), format)).toStdString();
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
