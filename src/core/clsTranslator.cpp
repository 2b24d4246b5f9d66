#include "core/clsTranslator.h"

#include <cstdlib>
#include <utility>

#include "core/Trap.h"
#include "platform/RuntimeError.h"
#include "platform/Text.h"

namespace {

constexpr char kFieldSeparator = '\v';

// The field at `index` of the translations joined by vertical tabs.
std::string Field(const std::string& rest, int index) {
    std::size_t start = 0;
    for (int i = 0; i < index; ++i) {
        start = rest.find(kFieldSeparator, start);
        if (start == std::string::npos) throw RuntimeError(ErrorNumber::SubscriptOutOfRange, "Subscript out of range");
        ++start;
    }
    return rest.substr(start, rest.find(kFieldSeparator, start) - start);
}

// Primary language -> language index: 10 Spanish, 19 Dutch, 22 Portuguese.
int LanguageIndex(long primaryLanguage) {
    switch (primaryLanguage) {
        case 10: return clsTranslator::Spanish;
        case 19: return clsTranslator::Dutch;
        case 22: return clsTranslator::Portuguese;
        default: return clsTranslator::NoLanguage;
    }
}

struct LocaleID {
    std::string_view name;  // "ll" for the language alone, "ll_TT" with its territory
    long langID;
};

// The identifiers the stick windows compare are those of the other platform; these are its
// values for the locales a keeper is likely to run. A territory not listed takes its
// language's entry.
constexpr LocaleID kLocaleIDs[] = {
    {"en_US", 1033},  {"en_GB", 2057},  {"en_AU", 3081},  {"en_CA", 4105},  {"en_NZ", 5129},  {"en_IE", 6153},
    {"en", 1033},     {"es_ES", 3082},  {"es_MX", 2058},  {"es_GT", 4106},  {"es_CR", 5130},  {"es_PA", 6154},
    {"es_DO", 7178},  {"es_VE", 8202},  {"es_CO", 9226},  {"es_PE", 10250}, {"es_AR", 11274}, {"es_EC", 12298},
    {"es_CL", 13322}, {"es_UY", 14346}, {"es_PY", 15370}, {"es_BO", 16394}, {"es_SV", 17418}, {"es_HN", 18442},
    {"es_NI", 19466}, {"es_PR", 20490}, {"es_US", 21514}, {"es", 3082},     {"nl_NL", 1043},  {"nl_BE", 2067},
    {"nl", 1043},     {"pt_BR", 1046},  {"pt_PT", 2070},  {"pt", 1046},     {"fr", 1036},     {"de", 1031},
    {"it", 1040},
};
constexpr long kEnglishUS = 1033;

long LookUpLocale(const std::string& name) {
    for (const auto& entry : kLocaleIDs)
        if (entry.name == name) return entry.langID;
    return 0;
}

}  // namespace

clsTranslator::clsTranslator() {
    Trap("Class_Initialize", "clsTranslator", [&] {
        for (const auto& record : BuiltInTable()) {
            std::string rest(record.spanish);
            rest.append(1, kFieldSeparator).append(record.dutch).append(1, kFieldSeparator).append(record.portuguese);
            if (!table_.emplace(LowerAscii(record.english), std::move(rest)).second)
                throw RuntimeError(457, "This key is already associated with an element of this collection");
        }
        menLLanguage = UserDefaultLangID();
        menLBaseLanguage = menLLanguage & 0xFF;
        SetTranslationOn(true);
    });
}

std::string clsTranslator::Translate(const std::string& strEnglish, bool booTrimString) const {
    std::string translated;
    Trap("Translate", "clsTranslator", [&] {
        if (language_ == NoLanguage) {
            translated = strEnglish;
            return;
        }
        const auto found = table_.find(LowerAscii(booTrimString ? TrimBlanks(strEnglish) : strEnglish));
        translated = found == table_.end() ? strEnglish : Field(found->second, language_);
    });
    return translated;
}

void clsTranslator::SetTranslationOn(bool booTranslationOn) {
    Trap("AllowTranslation", "clsTranslator",
         [&] { language_ = booTranslationOn ? LanguageIndex(UserDefaultLangID() & 0xFF) : NoLanguage; });
}

long clsTranslator::UserDefaultLangID() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return LangIDFromLocale(value);
    }
    return kEnglishUS;
}

long clsTranslator::LangIDFromLocale(std::string_view locale) {
    // language[_territory][.codeset][@modifier]; "C" and "POSIX" fall through to English.
    locale = locale.substr(0, locale.find_first_of(".@"));
    const auto underscore = locale.find('_');
    const std::string language = LowerAscii(locale.substr(0, underscore));
    if (underscore != std::string_view::npos) {
        if (const long id = LookUpLocale(language + "_" + UpperAscii(locale.substr(underscore + 1)))) return id;
    }
    if (const long id = LookUpLocale(language)) return id;
    return kEnglishUS;
}
