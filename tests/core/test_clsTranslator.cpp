#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <utility>

#include "core/clsTranslator.h"

namespace {

// Sets the locale variables for one test and puts the old values back afterwards.
class LocaleEnv {
public:
    LocaleEnv(const char* lcAll, const char* lcMessages, const char* lang) {
        for (int i = 0; i < 3; ++i) {
            const char* old = std::getenv(kNames[i]);
            saved_[i] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        Set(0, lcAll);
        Set(1, lcMessages);
        Set(2, lang);
    }
    ~LocaleEnv() {
        for (int i = 0; i < 3; ++i) Set(i, saved_[i] ? saved_[i]->c_str() : nullptr);
    }

private:
    static void Set(int i, const char* value) {
        if (value) setenv(kNames[i], value, 1);
        else unsetenv(kNames[i]);
    }
    static constexpr const char* kNames[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::optional<std::string> saved_[3];
};

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

}  // namespace

TEST(clsTranslator, TableHasEveryRecordOnceWithThreeTranslations) {
    const auto table = clsTranslator::BuiltInTable();
    EXPECT_EQ(clsTranslator::RecordCount(), 159);
    ASSERT_EQ(table.size(), 159u);
    std::set<std::string> keys;
    for (const auto& record : table) {
        EXPECT_TRUE(keys.insert(Lower(record.english)).second) << "duplicate key: " << record.english;
        for (std::string_view text : {record.english, record.spanish, record.dutch, record.portuguese}) {
            EXPECT_FALSE(text.empty()) << record.english;
            // The dictionary joins the translations with vertical tabs.
            EXPECT_EQ(text.find_first_of("\v\f"), std::string_view::npos) << record.english;
            // The keeper is sent to this program's own windows and the desktop's clipboard.
            for (const char* windowsProgram : {"Windows", "Notepad", "Bloc de notas", "Kladblok", "Bloco de Notas"})
                EXPECT_EQ(text.find(windowsProgram), std::string_view::npos) << text;
        }
    }
    // The read-output sheet splits this one at its commas into three column headings.
    for (const auto& record : table) {
        if (record.english != "Tag or EID,Group,Date/Time") continue;
        for (std::string_view text : {record.spanish, record.dutch, record.portuguese})
            EXPECT_EQ(std::count(text.begin(), text.end(), ','), 2) << text;
    }
}

TEST(clsTranslator, DutchUserFindsKeysWithoutRegardToCase) {
    LocaleEnv env(nullptr, nullptr, "nl_NL.UTF-8");
    clsTranslator translator;
    EXPECT_EQ(translator.menLLanguage, 1043);
    EXPECT_EQ(translator.menLBaseLanguage, 19);
    EXPECT_EQ(translator.CurrentLanguage(), 1);
    for (const char* exitText : {"exit", "EXIT", "Exit", "eXiT"})
        EXPECT_EQ(translator.Translate(exitText, true), "Terug");
    EXPECT_EQ(translator.Translate("New Program Required", true), "Nieuw programma nodig");
    EXPECT_EQ(translator.Translate("Stick Reader", true), "Stick Reader");
    EXPECT_EQ(translator.Translate("Configure Stick", true), "Stick instellingen");

    translator.SetTranslationOn(false);
    EXPECT_EQ(translator.CurrentLanguage(), -1);
    EXPECT_EQ(translator.Translate("Exit", true), "Exit");
    EXPECT_EQ(translator.Translate(" Exit ", true), " Exit ");
    translator.SetTranslationOn(true);
    EXPECT_EQ(translator.Translate("Exit", true), "Terug");
}

TEST(clsTranslator, SpanishTrimsOnlyWhenAskedAndLeavesUnknownTextAlone) {
    LocaleEnv env(nullptr, nullptr, "es_ES.UTF-8");
    clsTranslator translator;
    EXPECT_EQ(translator.CurrentLanguage(), 0);
    EXPECT_EQ(translator.Translate(" Exit ", true), "Salir");
    EXPECT_EQ(translator.Translate(" Exit "), " Exit ");
    EXPECT_EQ(translator.Translate("Exit\t", true), "Exit\t");  // only blanks are trimmed
    EXPECT_EQ(translator.Translate("  Not a caption  ", true), "  Not a caption  ");
    EXPECT_EQ(translator.Translate("", true), "");
    EXPECT_EQ(translator.Translate("Stick Reader", true), "Lector");
    EXPECT_EQ(translator.Translate("configure stick", true), "Configurar lector");
    // A multi-line key is found whole, line breaks included, and not by its first line.
    const std::string later =
        "This stick is a later version than this program can handle.\r\n"
        "You will need to get an updated version of this program.";
    EXPECT_NE(translator.Translate(later, true), later);
    EXPECT_NE(translator.Translate(later, true).find("\r\n"), std::string::npos);
    EXPECT_EQ(translator.Translate("This stick is a later version than this program can handle.", true),
              "This stick is a later version than this program can handle.");
}

TEST(clsTranslator, PortugueseGivesEveryRecordItsOwnText) {
    LocaleEnv env("pt_BR.UTF-8", nullptr, "en_GB.UTF-8");
    clsTranslator translator;
    ASSERT_EQ(translator.CurrentLanguage(), 2);
    EXPECT_EQ(translator.Translate("Exit", true), "Sair");
    EXPECT_EQ(translator.Translate("Stick Reader", true), "Bastão de Leitura");
    for (const auto& record : clsTranslator::BuiltInTable()) {
        const std::string text = translator.Translate(std::string(record.english));
        EXPECT_FALSE(text.empty()) << record.english;
        EXPECT_EQ(text, record.portuguese);
    }
}

TEST(clsTranslator, OtherLanguagesAndEnglishAreNotTranslated) {
    for (const char* lang : {"en_AU.UTF-8", "fr_FR.UTF-8", "C", ""}) {
        LocaleEnv env(nullptr, nullptr, lang);
        clsTranslator translator;
        EXPECT_EQ(translator.CurrentLanguage(), -1) << lang;
        EXPECT_EQ(translator.Translate("Exit", true), "Exit") << lang;
    }
}

TEST(clsTranslator, LocaleMapsToLanguageIdentifiers) {
    const std::pair<const char*, long> cases[] = {
        {"en_US.UTF-8", 1033},
        {"en_GB.UTF-8", 2057},
        {"en_AU.UTF-8", 3081},
        {"en_NZ", 5129},
        {"en_IE.UTF-8@euro", 6153},
        {"en_CA", 4105},
        {"en_ZA.UTF-8", 1033},
        {"en", 1033},
        {"es_ES.UTF-8", 3082},
        {"es_MX.UTF-8", 2058},
        {"es_AR", 11274},
        {"es_XX", 3082},
        {"nl_NL.UTF-8", 1043},
        {"nl_BE.UTF-8", 2067},
        {"pt_BR.UTF-8", 1046},
        {"pt_PT.UTF-8", 2070},
        {"fr_FR.UTF-8", 1036},
        {"de_DE.UTF-8", 1031},
        {"it_IT.UTF-8", 1040},
        {"C", 1033},
        {"C.UTF-8", 1033},
        {"POSIX", 1033},
        {"", 1033},
        {"xx_YY", 1033},
    };
    for (const auto& [locale, id] : cases) EXPECT_EQ(clsTranslator::LangIDFromLocale(locale), id) << locale;

    // LC_ALL wins, then LC_MESSAGES, then LANG; an empty value is skipped.
    const std::tuple<const char*, const char*, const char*, long> environments[] = {
        {"nl_BE.UTF-8", "es_ES.UTF-8", "pt_PT.UTF-8", 2067},
        {"", "es_ES.UTF-8", "pt_PT.UTF-8", 3082},
        {nullptr, "", "en_AU.UTF-8", 3081},
        {nullptr, nullptr, nullptr, 1033}};
    for (const auto& [all, messages, lang, id] : environments) {
        LocaleEnv env(all, messages, lang);
        EXPECT_EQ(clsTranslator::UserDefaultLangID(), id) << id;
    }
}
