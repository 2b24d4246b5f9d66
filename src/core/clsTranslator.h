#pragma once
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

// Turns an English caption or message into Spanish, Dutch or Portuguese; the English text is
// the key of every translation. Off (English) unless switched on.
class clsTranslator {
public:
    // The languages of the table, by their place in its records after the English key.
    enum Language : int { NoLanguage = -1, Spanish = 0, Dutch = 1, Portuguese = 2 };

    clsTranslator();

    std::string Translate(const std::string& strEnglish, bool booTrimString = false) const;
    void SetTranslationOn(bool booTranslationOn);
    int CurrentLanguage() const { return language_; }  // a Language

    long menLLanguage = 0;      // the user's language identifier (1033, 2057, 3082, 1043 ...)
    long menLBaseLanguage = 0;  // its primary language, the low 8 bits (9, 10, 19, 22 ...)
    bool mbooShowTagFileOption = false;

    // The user's language identifier from the locale (LC_ALL, LC_MESSAGES, LANG).
    static long UserDefaultLangID();
    // The language identifier of one locale name such as "nl_BE.UTF-8" ("C" and "" are 1033).
    static long LangIDFromLocale(std::string_view locale);
    // The number of records in the built-in table.
    static int RecordCount();

    // One record of the built-in table: the English key and its three translations.
    struct Record {
        std::string_view english, spanish, dutch, portuguese;
    };
    static std::span<const Record> BuiltInTable();

private:
    std::unordered_map<std::string, std::string> table_;  // lower-case key -> "es\vnl\vpt"
    int language_ = NoLanguage;
};
