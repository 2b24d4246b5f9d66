// A date as a keeper types it into the animal grid or a dialog (the first byte choosing the
// locale whose short date order it is read in): refused, or read as a real date that is stored,
// written into SQL and shown as the windows do, and that reads back as itself from what they
// show, since a dialog offers a date shown and the keeper may take it as it stands.
#include <QDate>
#include <QLocale>

#include "core/modCommon.h"
#include "fuzz/Fuzz.h"
#include "platform/DateTime.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static const char* const locales[] = {"en_GB", "en_US", "de_DE", "fr_FR", "ja_JP", "hu_HU", "nl_NL", "fi_FI"};
    QLocale::setDefault(QLocale(locales[data[0] % 8]));
    const std::optional<DateTime> date = DateTime::FromUserText(Fuzz::Text(data + 1, size - 1));
    if (!date) return 0;
    Fuzz::Check(QDate::isValid(date->year, date->month, date->day) && date->hour < 24 && date->minute < 60 &&
                    date->second < 60 && !date->IsZero(),
                "a date read is a real one");
    Fuzz::Check(DateTime::FromText(date->ToText()) == *date, "a date stored reads back");
    modCommon::SQLDate(*date);
    date->ToGeneralText();
    // Locales that show two digits of the year are read as 1950 to 2049.
    if (date->year < 1950 || date->year > 2049) return 0;
    Fuzz::Check(DateTime::FromUserText(date->ToUserText()) == date->DateOnly(), "a date shown reads back");
    const std::optional<DateTime> withTime = DateTime::FromUserText(date->ToUserText(true));
    Fuzz::Check(withTime && withTime->DateOnly() == date->DateOnly() && withTime->hour == date->hour &&
                    withTime->minute == date->minute,
                "a date and time shown reads back");
    Fuzz::Check(DateTime::FromUserText(date->ToGeneralText()) == *date,
                "a date and time shown with seconds reads back");
    return 0;
}
